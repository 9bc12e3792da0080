#pragma once

#include <memory>
#include <string>

// The text a value was last printed as, kept for the pointer handed out. It
// takes a pointer's room until the value is first printed, and copies of the
// value start without it: values copied and moved by the thousand, most of
// them never printed, stay small.
class CPrintableText {
public:
    CPrintableText() = default;
    CPrintableText(const CPrintableText&) {}
    CPrintableText& operator=(const CPrintableText&) { return *this; }
    CPrintableText(CPrintableText&&) noexcept = default;
    CPrintableText& operator=(CPrintableText&&) noexcept = default;
    ~CPrintableText() = default;

    // The text's storage, as last written.
    std::string& Text() const
    {
        if (!text)
            text = std::make_unique<std::string>();
        return *text;
    }

private:
    mutable std::unique_ptr<std::string> text;
};
