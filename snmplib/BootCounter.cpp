#include "snmplib/BootCounter.h"

#include "snmplib/BootCounterFiles.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <string>

namespace {

// Room after the engine id for the blank, the counter and trailing blanks; a
// longer line for the engine is malformed, whatever follows.
const size_t kEntrySlack = 64;
// Attempts at a fresh temporary name before giving up.
const int kTempNameAttempts = 100;

std::string HexOf(const OctetStr& id)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(id.len() * 2);
    for (unsigned long i = 0; i < id.len(); ++i) {
        hex += kDigits[id[i] >> 4];
        hex += kDigits[id[i] & 0x0F];
    }
    return hex;
}

bool ToPath(const OctetStr& file, std::string& path)
{
    path = file.to_string();
    return !path.empty() && path.find('\0') == std::string::npos;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

// One line of the file, of which at most a bounded head is held in memory.
struct LineHead {
    std::string text;
    bool truncated = false;  // the line goes on after text
};

// Reads the next line's first limit characters. False at the end of the file.
bool ReadLineHead(FILE* in, size_t limit, LineHead& line)
{
    line = LineHead();
    while (line.text.size() < limit) {
        const int c = getc(in);
        if (c == EOF)
            return !line.text.empty();
        if (c == '\n')
            return true;
        line.text += static_cast<char>(c);
    }
    const int next = getc(in);
    if (next != '\n' && next != EOF) {
        ungetc(next, in);
        line.truncated = true;
    }
    return true;
}

// Passes over the rest of a truncated line, writing it to out unless out is null.
// A last line without a line feed gets one.
bool FinishLine(FILE* in, FILE* out)
{
    int c;
    while ((c = getc(in)) != EOF && c != '\n') {
        if (out != nullptr && std::putc(c, out) == EOF)
            return false;
    }
    return out == nullptr || std::putc('\n', out) != EOF;
}

bool WriteText(const std::string& text, FILE* out)
{
    return std::fwrite(text.data(), 1, text.size(), out) == text.size();
}

bool IsEntryFor(const LineHead& line, const std::string& hexId)
{
    const std::string& t = line.text;
    if (t.empty() || t[0] == '#' || t.size() < hexId.size())
        return false;
    if (CompareNoCase(t.c_str(), hexId.c_str(), hexId.size()) != 0)
        return false;
    return t.size() == hexId.size() || IsBlank(t[hexId.size()]);
}

// The counter of an entry line: blanks, 1 to 10 decimal digits up to UINT_MAX, blanks.
bool ParseCounter(const LineHead& line, size_t start, unsigned int& counter)
{
    if (line.truncated)
        return false;
    const std::string& t = line.text;
    size_t p = start;
    if (p >= t.size() || !IsBlank(t[p]))
        return false;
    while (p < t.size() && IsBlank(t[p]))
        ++p;
    unsigned long long v = 0;
    size_t digits = 0;
    for (; p < t.size() && t[p] >= '0' && t[p] <= '9'; ++p, ++digits) {
        v = v * 10 + static_cast<unsigned long long>(t[p] - '0');
        if (v > UINT_MAX)
            return false;
    }
    while (p < t.size() && IsBlank(t[p]))
        ++p;
    if (digits == 0 || p != t.size())
        return false;
    counter = static_cast<unsigned int>(v);
    return true;
}

// A temporary file next to path, with the permissions of the file it replaces.
FILE* CreateTempNextTo(const std::string& path, FILE* existing, std::string& tempPath)
{
    static std::atomic<unsigned int> sequence{0};
    for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
        tempPath = path + ".tmp" + std::to_string(CurrentProcessId()) + "-" + std::to_string(++sequence);
        bool exists = false;
        FILE* out = CreateNewFile(tempPath, existing, &exists);
        if (out != nullptr || !exists)
            return out;
    }
    return nullptr;
}

// Copies in to out with the engine's entry replaced by (or completed with) entry.
// False on a read or write failure.
bool CopyWithEntry(FILE* in, FILE* out, const std::string& hexId, const std::string& entry)
{
    bool entryWritten = false;
    LineHead line;
    while (in != nullptr && ReadLineHead(in, hexId.size() + kEntrySlack, line)) {
        const bool ours = IsEntryFor(line, hexId);
        bool ok = true;
        if (ours && !entryWritten) {
            ok = WriteText(entry, out);
            entryWritten = true;
        } else if (!ours) {
            ok = WriteText(line.text, out);
            if (ok && !line.truncated)
                ok = std::fputc('\n', out) != EOF;
        }
        if (ok && line.truncated)
            ok = FinishLine(in, ours ? nullptr : out);
        if (!ok)
            return false;
    }
    if (in != nullptr && std::ferror(in))
        return false;
    return entryWritten || WriteText(entry, out);
}

}  // namespace

int getBootCounter(const OctetStr& file, const OctetStr& engineId, unsigned int& counter)
{
    counter = 0;
    std::string path;
    if (!ToPath(file, path))
        return BOOTCOUNTER_FILE_OPEN_ERROR;
    FILE* in = std::fopen(path.c_str(), "r");
    if (in == nullptr)
        return BOOTCOUNTER_FILE_OPEN_ERROR;

    const std::string hexId = HexOf(engineId);
    int result = BOOTCOUNTER_NO_ENTRY;
    LineHead line;
    while (ReadLineHead(in, hexId.size() + kEntrySlack, line)) {
        if (IsEntryFor(line, hexId)) {
            result = ParseCounter(line, hexId.size(), counter) ? BOOTCOUNTER_OK : BOOTCOUNTER_BAD_ENTRY;
            break;
        }
        if (line.truncated)
            FinishLine(in, nullptr);
    }
    // A folder opens like a file but cannot be read.
    if (result == BOOTCOUNTER_NO_ENTRY && std::ferror(in))
        result = BOOTCOUNTER_FILE_OPEN_ERROR;
    std::fclose(in);
    if (result != BOOTCOUNTER_OK)
        counter = 0;
    return result;
}

int saveBootCounter(const OctetStr& file, const OctetStr& engineId, unsigned int counter)
{
    std::string path;
    if (!ToPath(file, path))
        return BOOTCOUNTER_FILE_CREATE_ERROR;
    FILE* in = std::fopen(path.c_str(), "r");
    if (in == nullptr && errno != ENOENT && errno != ENOTDIR)
        return BOOTCOUNTER_FILE_READ_ERROR;

    std::string tempPath;
    FILE* out = CreateTempNextTo(path, in, tempPath);
    if (out == nullptr) {
        if (in != nullptr)
            std::fclose(in);
        return BOOTCOUNTER_FILE_CREATE_ERROR;
    }

    const std::string hexId = HexOf(engineId);
    const std::string entry = hexId + " " + std::to_string(counter) + "\n";
    const bool copied = CopyWithEntry(in, out, hexId, entry);
    const bool readFailed = in != nullptr && std::ferror(in) != 0;
    if (in != nullptr)
        std::fclose(in);
    bool written = copied && FlushToDisk(out);
    written = std::fclose(out) == 0 && written;
    if (readFailed || !written) {
        std::remove(tempPath.c_str());
        return readFailed ? BOOTCOUNTER_FILE_READ_ERROR : BOOTCOUNTER_FILE_WRITE_ERROR;
    }
    if (!MoveOver(tempPath, path)) {
        std::remove(tempPath.c_str());
        return BOOTCOUNTER_FILE_RENAME_ERROR;
    }
    return BOOTCOUNTER_OK;
}
