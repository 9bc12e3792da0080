#pragma once

#include "snmpfw/SnmpRequest.h"

#include <string>
#include <vector>

// The framework's request, which shows a variable that the agent answered
// with noSuchObject, noSuchInstance or endOfMibView as that word instead
// of "(NULL)". The word is kept beside the list, so that derived values and
// conditions still see a missing value. A derived number that its syntax
// cannot show as it is (not finite, beyond the syntax's range) is shown as
// "(NULL)", the text of an item without a value, rather than as 0 or its
// low 32 bits.
class CFetchRequest : public CSnmpRequest {
public:
    void VbToText(int index, const Vb& vb, CSnmpVarList& list) override;
    CString DerivedNumberText(int syntax, double number) override;

    // The texts of the last response (or of the list as it is): the values,
    // with those words in place, and a cell the row does not have empty.
    std::vector<std::string> Values() const;
    // Forgets the words of the last response before the next is asked for.
    void ForgetExceptions() { exceptions.clear(); }

private:
    std::vector<std::string> exceptions;  // by item; empty: a value
};
