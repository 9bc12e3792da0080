#include "exporter/ExporterAuths.h"

#include <yaml-cpp/yaml.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {

const size_t kMaxFileSize = 1 << 20;  // far beyond any real list of profiles
const uint64_t kMinTimeoutMs = 10;
const uint64_t kMaxTimeoutMs = 3600000;

// Text from the file or its name, made safe for a one-line log entry: bytes
// outside printable ASCII become \xNN.
std::string Escaped(const std::string& text, bool quote = false)
{
    std::string out = quote ? "\"" : "";
    for (const unsigned char c : text) {
        if (quote && (c == '"' || c == '\\')) {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else {
            static const char kHex[] = "0123456789abcdef";
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return quote ? out + "\"" : out;
}

std::string Quoted(const std::string& text)
{
    return Escaped(text, true);
}

// The path as it would be typed to a shell, for the fix we suggest.
std::string ShellWord(const std::string& path)
{
    const bool plain = !path.empty() && std::all_of(path.begin(), path.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || std::strchr("/._-+,:@%=", c);
    });
    if (plain)
        return path;
    std::string out = "'";
    for (const char c : path)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string ErrnoText()
{
    return std::generic_category().message(errno);
}

// Names travel in URL queries and into logs: printable ASCII, no spaces.
bool ValidProfileName(const std::string& name)
{
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) { return c > 0x20 && c < 0x7f; });
}

// Calls each(key, value) for the pairs of a map. yaml-cpp keeps a key given
// twice and a lookup sees only one of them, so that is refused here.
template <typename Each>
bool ForEachPair(const YAML::Node& map, const std::string& where, std::string* why, Each each)
{
    std::set<std::string> seen;
    for (const auto& pair : map) {
        if (!pair.first.IsScalar()) {
            *why = where + "keys must be text";
            return false;
        }
        const std::string& key = pair.first.Scalar();
        if (!seen.insert(key).second) {
            *why = where + Quoted(key) + " is given twice";
            return false;
        }
        if (!each(key, pair.second))
            return false;
    }
    return true;
}

// Prometheus' durations: "0", or whole numbers each with a unit, the units
// largest first, each at most once.
bool ParseDuration(const std::string& text, uint64_t* ms)
{
    static const struct {
        const char* unit;
        uint64_t ms;
    } kUnits[] = {{"y", 365 * 86400000ULL},
                  {"w", 7 * 86400000ULL},
                  {"d", 86400000},
                  {"h", 3600000},
                  {"m", 60000},
                  {"s", 1000},
                  {"ms", 1}};
    const uint64_t kCap = 10 * kMaxTimeoutMs;  // anything above is out of range anyway; keeps the sums small
    if (text == "0") {
        *ms = 0;
        return true;
    }
    uint64_t total = 0;
    int last = -1;
    for (size_t pos = 0; pos < text.size() || last < 0;) {
        uint64_t value = 0;
        const size_t start = pos;
        for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos)
            value = std::min<uint64_t>(value * 10 + (text[pos] - '0'), kCap);
        int unit = -1;
        for (int i = 0; i < 7; ++i)  // the longest match: "ms" over "m"
            if (text.compare(pos, std::strlen(kUnits[i].unit), kUnits[i].unit) == 0)
                unit = unit < 0 || std::strlen(kUnits[i].unit) > std::strlen(kUnits[unit].unit) ? i : unit;
        if (pos == start || unit <= last)
            return false;
        total += value * kUnits[unit].ms;
        pos += std::strlen(kUnits[unit].unit);
        last = unit;
    }
    *ms = total;
    return true;
}

bool ReadCommunity(const YAML::Node& node, std::string* community, std::string* why)
{
    // The value is a secret: no reason repeats it.
    if (!node.IsScalar())
        *why = node.IsNull() ? "has no value" : "must be text";
    else if (node.Scalar().empty())
        *why = "must not be empty";
    else if (node.Scalar().find('\0') != std::string::npos)
        *why = "must not hold a NUL character";
    else
        *community = node.Scalar();
    return why->empty();
}

bool ReadPort(const YAML::Node& node, int* port, std::string* why)
{
    // A quoted scalar is text, not a number.
    const std::string text = node.IsScalar() && node.Tag() != "!" ? node.Scalar() : "";
    const bool digits = !text.empty() && text.size() <= 5 &&
                        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    const int number = digits ? std::stoi(text) : 0;
    if (number < 1 || number > 65535) {
        *why = "must be a number from 1 to 65535" + (node.IsScalar() ? ", not " + Quoted(node.Scalar()) : "");
        return false;
    }
    *port = number;
    return true;
}

bool ReadTimeout(const YAML::Node& node, int* timeout, std::string* why)
{
    const std::string text = node.IsScalar() ? node.Scalar() : "";
    const std::string shown = node.IsScalar() ? ", not " + Quoted(text) : "";
    uint64_t ms = 0;
    if (!ParseDuration(text, &ms))
        *why = "must be a duration such as 2s, 500ms or 1m30s (whole numbers with units y w d h m s ms, largest "
               "first)" +
               shown;
    else if (ms < kMinTimeoutMs || ms > kMaxTimeoutMs)
        *why = "must be from 10ms to 1h" + shown;
    else if (ms % 10 != 0)
        *why = "must be whole hundredths of a second (steps of 10ms)" + shown;
    else
        *timeout = static_cast<int>(ms / 10);
    return why->empty();
}

bool ReadProfile(const YAML::Node& node, const std::string& where, CSnmpProfile* profile, bool* holdsWrite,
                 std::string* why)
{
    return ForEachPair(node, where, why, [&](const std::string& key, const YAML::Node& value) {
        std::string reason;
        if (key == "community") {
            ReadCommunity(value, &profile->readCommunity, &reason);
        } else if (key == "write_community") {
            ReadCommunity(value, &profile->writeCommunity, &reason);
            *holdsWrite = true;
        } else if (key == "port") {
            ReadPort(value, &profile->port, &reason);
        } else if (key == "timeout") {
            ReadTimeout(value, &profile->timeout, &reason);
        } else {
            *why = where + "unknown key " + Quoted(key) + " (known: community, write_community, port, timeout)";
            return false;
        }
        if (!reason.empty())
            *why = where + key + ": " + reason;
        return reason.empty();
    });
}

bool ReadProfiles(const YAML::Node& auths, const CSnmpProfile& base, CSnmpProfiles* profiles, bool* holdsWrite,
                  std::string* why)
{
    return ForEachPair(auths, "auths: ", why, [&](const std::string& name, const YAML::Node& node) {
        const std::string where = "profile " + Quoted(name) + ": ";
        if (!ValidProfileName(name))
            *why = where + "a name must be printable ASCII without spaces, and not empty";
        else if (!node.IsMap())
            *why = where + "must be a map of community, write_community, port and timeout";
        if (!why->empty())
            return false;
        CSnmpProfile profile = base;
        if (!ReadProfile(node, where, &profile, holdsWrite, why))
            return false;
        profiles->emplace(name, profile);
        return true;
    });
}

bool ReadRoot(const YAML::Node& root, const CSnmpProfile& base, CSnmpProfiles* profiles, bool* holdsWrite,
              std::string* why)
{
    if (root.IsNull())
        return true;
    if (!root.IsMap()) {
        *why = "must be a map with the key auths";
        return false;
    }
    return ForEachPair(root, "", why, [&](const std::string& key, const YAML::Node& auths) {
        if (key != "auths")
            *why = "unknown key " + Quoted(key) + " (only auths is known)";
        else if (!auths.IsNull() && !auths.IsMap())
            *why = "auths: must be a map of profiles by name";
        else
            return ReadProfiles(auths, base, profiles, holdsWrite, why);
        return false;
    });
}

std::string YamlReason(const YAML::Exception& e)
{
    if (e.mark.is_null())
        return Escaped(e.msg);
    return "line " + std::to_string(e.mark.line + 1) + ", column " + std::to_string(e.mark.column + 1) + ": " +
           Escaped(e.msg);
}

bool ReadOpened(int fd, std::string* text, mode_t* mode, std::string* why)
{
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        *why = "cannot stat: " + ErrnoText();
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        *why = "not a regular file";
        return false;
    }
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *why = "cannot read: " + ErrnoText();
            return false;
        }
        if (n == 0)
            break;
        text->append(buffer, static_cast<size_t>(n));
        if (text->size() > kMaxFileSize) {
            *why = "larger than 1 MiB";
            return false;
        }
    }
    *mode = status.st_mode;
    return true;
}

// Reads the file and its mode through one descriptor, so that the mode judged
// is that of the text read, whatever replaces the path meanwhile.
bool ReadFile(const std::string& path, std::string* text, mode_t* mode, std::string* why)
{
    // O_NONBLOCK: a FIFO in the file's place must not hang the start; it is
    // refused as not a regular file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        *why = "cannot open: " + ErrnoText();
        return false;
    }
    const bool ok = ReadOpened(fd, text, mode, why);
    ::close(fd);
    return ok;
}

}  // namespace

bool operator==(const CSnmpProfile& a, const CSnmpProfile& b)
{
    return a.readCommunity == b.readCommunity && a.writeCommunity == b.writeCommunity && a.port == b.port &&
           a.timeout == b.timeout;
}

bool operator!=(const CSnmpProfile& a, const CSnmpProfile& b)
{
    return !(a == b);
}

bool ParseSnmpProfiles(const std::string& text, const CSnmpProfile& base, CSnmpProfiles* profiles, std::string* error,
                       bool* holdsWriteCommunity)
{
    CSnmpProfiles read;
    bool holdsWrite = false;
    std::string why;
    try {
        // Load() would read the first document only and drop the rest unseen.
        const std::vector<YAML::Node> documents = YAML::LoadAll(text);
        if (documents.size() > 1)
            why = "holds " + std::to_string(documents.size()) + " YAML documents, not one";
        else if (!documents.empty())
            ReadRoot(documents.front(), base, &read, &holdsWrite, &why);
    } catch (const YAML::Exception& e) {
        why = YamlReason(e);
    }
    if (!why.empty()) {
        *error = why;
        return false;
    }
    read.emplace("default", base);  // only when the file has none
    *profiles = std::move(read);
    if (holdsWriteCommunity)
        *holdsWriteCommunity = holdsWrite;
    return true;
}

bool LoadSnmpProfiles(const std::string& path, const CSnmpProfile& base, CSnmpProfiles* profiles, std::string* error)
{
    const std::string where = Escaped(path) + ": ";
    std::string text;
    std::string why;
    mode_t mode = 0;
    CSnmpProfiles read;
    bool holdsWrite = false;
    if (!ReadFile(path, &text, &mode, &why) || !ParseSnmpProfiles(text, base, &read, &why, &holdsWrite)) {
        *error = where + why;
        return false;
    }
    if (holdsWrite && (mode & S_IROTH)) {
        *error = where + "the file is readable by every user and holds a write community; make it private with " +
                 Escaped("chmod o-r " + ShellWord(path));
        return false;
    }
    *profiles = std::move(read);
    return true;
}
