#include "snmpfw/ExpressionClock.h"

#include <atomic>

#include "platform/Afx.h"

namespace {

double ReadSystemClock()
{
    return COleDateTime::GetCurrentTime().m_dt;
}

std::atomic<ExpressionClock> currentClock{&ReadSystemClock};

}  // namespace

double ReadExpressionClock()
{
    return currentClock.load()();
}

ExpressionClock SetExpressionClock(ExpressionClock clock)
{
    return currentClock.exchange(clock != nullptr ? clock : &ReadSystemClock);
}
