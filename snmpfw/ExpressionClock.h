#pragma once

// "NOW" in an arithmetic expression is read through this one function, so
// that a test can put a fixed moment in its place.

// The current local time as an OLE automation date (days since
// 30 December 1899, the fraction being the time of day).
typedef double (*ExpressionClock)();

double ReadExpressionClock();

// Installs a clock and returns the one it replaces; null restores the
// system clock. Safe to call while other threads evaluate.
ExpressionClock SetExpressionClock(ExpressionClock clock);
