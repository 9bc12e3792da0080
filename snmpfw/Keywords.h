#pragma once

#include "snmpfw/OptionList.h"

// Keyword tables of the three code spaces, each ended by a pair whose keyword
// is null.
extern const OptionPair kItemTypeKeywordTable[];
extern const OptionPair kSyntaxKeywordTable[];
extern const OptionPair kAccessKeywordTable[];

// Process-wide lookups built from the tables at module start: code to keyword
// with ValueToText, keyword (any letter case) to code with TextToValue.
extern COptionList ItemTypeKeywords;
extern COptionList SyntaxKeywords;
extern COptionList AccessKeywords;
