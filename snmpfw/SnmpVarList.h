#pragma once

#include "platform/Afx.h"
#include "snmpfw/SnmpVarDef.h"

// Run-time copy of one definition with the variable's current value and
// instance texts. The char texts are _strdup copies released with free.
struct SnmpVarItem {
    char* oid;
    char* name;
    int syntax;
    int access;
    COptionList* options;  // shared with the definition, not owned
    char* getExpression;   // null when the definition has none
    char* setExpression;
    char* auxText;
    CString* value;     // display form; never null
    CString* instance;  // full OID the next continuation asks for; never null
};

// An ordered list of items. A table list (MVT_FMV, MVT_UMV) holds one row:
// each item is a column, its value the cell of the current row. Copies are
// always deep; only option list pointers are shared.
class CSnmpVarList {
public:
    CSnmpVarList();
    CSnmpVarList(const CSnmpVarDef* table, int itemType, int keyCount);
    CSnmpVarList(const CSnmpVarList& source);
    ~CSnmpVarList();

    // Replaces the items, item type, key count and label; the common instance
    // and the owned option lists stay as they are.
    CSnmpVarList& operator=(const CSnmpVarList& source);
    // The same, taking the source's items instead of copying them: the
    // source is left without items.
    CSnmpVarList(CSnmpVarList&& source);
    CSnmpVarList& operator=(CSnmpVarList&& source);

    void AppendDefinitions(const CSnmpVarDef* table);
    void Clear();

    // No range checks: callers loop over count.
    SnmpVarItem* GetItem(int index) const;
    bool IsImplied(int index) const;
    bool IsReadable(int index) const;
    bool IsSettable(int index) const;

    static int CountDefinitions(const CSnmpVarDef* table);

    CString instance;
    int keyCount;
    int itemType;
    CString label;
    int count;
    SnmpVarItem** items;
    CPtrList ownedOptionLists;  // of COptionList*, released with the list

private:
    // An assignment's start: no items, and the source's item type, key count and label.
    void StartOver(const CSnmpVarList& source);
};

// True for the table item types (MVT_FMV, MVT_UMV).
bool IsTableList(const CSnmpVarList& list);

// Whether any item of the list is still to be read.
bool HasReadable(const CSnmpVarList& list);

// Every column of the list is read again: a walk starts over.
void ReopenColumns(CSnmpVarList& list);

// Item index's column OID text: its OID, then "." and the list's common
// instance text when there is one.
CString ColumnOidText(const CSnmpVarList& list, int index);
