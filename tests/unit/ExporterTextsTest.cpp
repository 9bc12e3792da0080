// The texts of krw6180-exporter: label values from an agent's octets, the
// wait a scrape time-out leaves, and the listen address.

#include "exporter/ExporterMetrics.h"
#include "exporter/ExporterOptions.h"
#include "exporter/ExporterServer.h"

#include <gtest/gtest.h>

namespace {

// Text that is not UTF-8 is taken as Latin-1 octet by octet, as in the JSON
// of krw6180-clients, so that no octet is lost.
TEST(ExporterTextsTest, LabelValuesAreEscapedUtf8)
{
    const struct {
        const char* what;
        std::string octets;
        std::string label;
    } cases[] = {
        {"plain", "Lobby 2", "Lobby 2"},
        {"quote, backslash, newline", "a\"b\\c\nd", "a\\\"b\\\\c\\nd"},
        {"other control characters stay", std::string("\x1b[2J\t\0", 6), std::string("\x1b[2J\t\0", 6)},
        {"two- to four-octet sequences", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80",
         "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"},
        {"a lone continuation octet", "caf\xE9", "caf\xC3\xA9"},
        {"an overlong form", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
        {"a surrogate", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},
        {"above U+10FFFF", "\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80"},
        {"cut short at the end, with UTF-8 before it", "\xC3\xA9\xE2\x82", "\xC3\x83\xC2\xA9\xC3\xA2\xC2\x82"},
        {"a lead octet before a quote", "\xC3\"", "\xC3\x83\\\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LabelValue(c.octets), c.label) << c.what;
}

TEST(ExporterTextsTest, AProbeWaitsForTheScrapeTimeOutLessAMargin)
{
    const struct {
        const char* header;
        double seconds;
    } cases[] = {
        {"", 10},    {"10", 9.5}, {"1.5", 1.0}, {"0.8", 0.4}, {"0", 10},   {"-3", 10},
        {"nan", 10}, {"inf", 10}, {"abc", 10},  {"5s", 10},   {"1e9", 60},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(ProbeWaitSeconds(c.header), c.seconds) << '"' << c.header << '"';
}

TEST(ExporterTextsTest, ListenAddressesAreSplitOrRefused)
{
    const struct {
        const char* text;
        bool good;
        const char* host;
        int port;
    } cases[] = {
        {"127.0.0.1:9180", true, "127.0.0.1", 9180},
        {":9180", true, "0.0.0.0", 9180},
        {"[::1]:0", true, "::1", 0},
        {"localhost:65535", true, "localhost", 65535},
        {"127.0.0.1", false, "", 0},
        {"127.0.0.1:65536", false, "", 0},
        {"127.0.0.1:-1", false, "", 0},
        {"::1:9180", false, "", 0},
        {"127.0.0.1:", false, "", 0},
        {"127.0.0.1:99999999999", false, "", 0},
        {"[]:80", true, "0.0.0.0", 80},
        {"[::1]", false, "", 0},
    };
    for (const auto& c : cases) {
        std::string host;
        int port = -1;
        ASSERT_EQ(ListenAddressOf(c.text, &host, &port), c.good) << c.text;
        if (c.good) {
            EXPECT_EQ(host, c.host) << c.text;
            EXPECT_EQ(port, c.port) << c.text;
        }
    }
}

}  // namespace
