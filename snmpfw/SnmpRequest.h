#pragma once

#include "platform/Afx.h"
#include "snmpfw/SnmpVarList.h"

class Vb;

// The object through which the system talks to an agent. Its virtual
// operations are the conversion hooks between SNMP values and the display
// texts that items hold; they are declared in slot order and the class has
// no other virtual operation. The class is final: with no virtual destructor,
// deleting through a pointer is only safe when nothing can derive from it.
class CSnmpRequest final {
public:
    // Decodes index column index from the front of instance (dotted
    // sub-identifiers) into the item's value and returns what is left of it.
    virtual CString IndexToText(int index, const CString& instance, CSnmpVarList& list);
    // Encodes index column index as dotted sub-identifiers into output.
    virtual void TextToIndex(int index, CString& output, CSnmpVarList& list);
    // Sets the item's value text from a binding received from the agent.
    virtual void VbToText(int index, const Vb& vb, CSnmpVarList& list);
    // Puts the value text of item index of this object's own list into vb.
    virtual void TextToVb(int index, Vb& vb);
    // Evaluates the item's get (read true) or set expression into its value.
    virtual void EvaluateDerived(int index, bool read, CSnmpVarList& list);
    // True for an empty condition, else the logical value of the condition.
    virtual bool EvaluateCondition(const CString& condition);
    // True when a table walk has left the column.
    virtual bool IsColumnEnd(const CString& column, const CString& previous, const CString& received,
                             CSnmpVarList& list);

    // Replaces every marker reference ("$" and an item index) in expression
    // with the value of that item of this object's own list.
    CString SubstituteReferences(const CString& expression, bool quoteStrings, const CString& marker);

    CSnmpVarList varList;
};
