#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>

// The library's time-outs are hundredths of a second per attempt; Net-SNMP
// takes microseconds, and a request's whole budget is that of every attempt.

using CNetSnmpClock = std::chrono::steady_clock;

// Longer budgets than this are taken as this long.
constexpr std::chrono::microseconds kLongestBudget = std::chrono::hours(24);

inline std::chrono::microseconds HundredthsToMicroseconds(unsigned long hundredths)
{
    const unsigned long longest = static_cast<unsigned long>(kLongestBudget.count() / 10000);
    return std::chrono::microseconds(static_cast<long long>(std::min(hundredths, longest)) * 10000);
}

// The time from the send until the last attempt has timed out.
inline std::chrono::microseconds RequestBudget(unsigned long timeoutHundredths, int retries)
{
    const long long attempts = retries < 0 ? 1 : static_cast<long long>(retries) + 1;
    const std::chrono::microseconds perAttempt = HundredthsToMicroseconds(timeoutHundredths);
    if (perAttempt.count() > 0 && attempts > kLongestBudget / perAttempt)
        return kLongestBudget;
    return perAttempt * attempts;
}

// Whole milliseconds until when, rounded up; 0 once it has come.
inline int MillisecondsUntil(CNetSnmpClock::time_point when, CNetSnmpClock::time_point now)
{
    if (when <= now)
        return 0;
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(when - now).count();
    return static_cast<int>(std::min<long long>(wait, INT32_MAX));
}

// Keeps in ms the earlier of two waits, -1 standing for none.
inline void KeepEarlier(int& ms, int candidate)
{
    if (candidate >= 0 && (ms < 0 || candidate < ms))
        ms = candidate;
}
