#include "snmpfw/SnmpVarList.h"

#include "snmpfw/OptionList.h"

#include <cstdlib>
#include <utility>

namespace {

const int kOwnedListBlockSize = 10;

char* CopyOptional(const char* text)
{
    return text != nullptr ? _strdup(text) : nullptr;
}

void FreeOptional(char* text)
{
    if (text != nullptr)
        free(text);
}

SnmpVarItem* NewItem(const CSnmpVarDef& def)
{
    SnmpVarItem* item = new SnmpVarItem;
    item->oid = _strdup(def.oid);
    item->name = _strdup(def.name != nullptr ? def.name : "");
    item->syntax = def.syntax;
    item->access = def.access;
    item->options = def.options;
    item->getExpression = CopyOptional(def.getExpression);
    item->setExpression = CopyOptional(def.setExpression);
    item->auxText = CopyOptional(def.auxText);
    item->value = def.value != nullptr ? new CString(*def.value) : new CString;
    item->instance = def.instance != nullptr ? new CString(*def.instance) : new CString;
    return item;
}

// An item names everything a definition does, so a deep copy is an item
// made afresh from the source as its definition.
SnmpVarItem* CopyItem(const SnmpVarItem& source)
{
    const CSnmpVarDef definition = {source.oid,     source.name,          source.syntax,        source.access,
                                    source.options, source.getExpression, source.setExpression, source.auxText,
                                    source.value,   source.instance};
    return NewItem(definition);
}

void DeleteItem(SnmpVarItem* item)
{
    free(item->oid);
    free(item->name);
    FreeOptional(item->getExpression);
    FreeOptional(item->setExpression);
    FreeOptional(item->auxText);
    delete item->value;
    delete item->instance;
    delete item;
}

}  // namespace

CSnmpVarList::CSnmpVarList()
    : keyCount(0), itemType(SVT_SV), count(0), items(nullptr), ownedOptionLists(kOwnedListBlockSize)
{
}

CSnmpVarList::CSnmpVarList(const CSnmpVarDef* table, int itemType, int keyCount) : CSnmpVarList()
{
    this->itemType = itemType;
    this->keyCount = keyCount;
    AppendDefinitions(table);
}

CSnmpVarList::CSnmpVarList(const CSnmpVarList& source) : CSnmpVarList()
{
    *this = source;
}

CSnmpVarList::~CSnmpVarList()
{
    Clear();
    POSITION pos = ownedOptionLists.GetHeadPosition();
    while (pos != nullptr) {
        COptionList* options = static_cast<COptionList*>(ownedOptionLists.GetNext(pos));
        options->Clear();
        delete options;
    }
    ownedOptionLists.RemoveAll();
}

// Assigning a list to itself must not clear it first: that would release
// the very items it is about to copy.
CSnmpVarList& CSnmpVarList::operator=(const CSnmpVarList& source)
{
    if (&source == this)
        return *this;
    StartOver(source);
    if (source.count == 0)
        return *this;
    items = new SnmpVarItem*[source.count];
    for (int i = 0; i < source.count; ++i)
        items[i] = CopyItem(*source.items[i]);
    count = source.count;
    return *this;
}

CSnmpVarList::CSnmpVarList(CSnmpVarList&& source) : CSnmpVarList()
{
    *this = std::move(source);
}

CSnmpVarList& CSnmpVarList::operator=(CSnmpVarList&& source)
{
    if (&source == this)
        return *this;
    StartOver(source);
    items = source.items;
    count = source.count;
    source.items = nullptr;
    source.count = 0;
    return *this;
}

void CSnmpVarList::StartOver(const CSnmpVarList& source)
{
    Clear();
    itemType = source.itemType;
    keyCount = source.keyCount;
    label = source.label;
}

int CSnmpVarList::CountDefinitions(const CSnmpVarDef* table)
{
    int n = 0;
    while (table != nullptr && table[n].oid != nullptr)
        ++n;
    return n;
}

void CSnmpVarList::AppendDefinitions(const CSnmpVarDef* table)
{
    const int n = CountDefinitions(table);
    if (n == 0)
        return;
    SnmpVarItem** grown = new SnmpVarItem*[count + n];
    for (int i = 0; i < count; ++i)
        grown[i] = items[i];
    delete[] items;
    items = grown;
    for (int i = 0; i < n; ++i)
        items[count++] = NewItem(table[i]);
}

void CSnmpVarList::Clear()
{
    for (int i = 0; i < count; ++i)
        DeleteItem(items[i]);
    delete[] items;
    items = nullptr;
    count = 0;
}

SnmpVarItem* CSnmpVarList::GetItem(int index) const
{
    return items[index];
}

bool CSnmpVarList::IsImplied(int index) const
{
    return (items[index]->access & ACCESS_IMPLIED) != 0;
}

bool CSnmpVarList::IsReadable(int index) const
{
    const int access = items[index]->access;
    if (access & (ACCESS_INVALID | ACCESS_ENDED))
        return false;
    return (access & ACCESS_READONLY) != 0;
}

bool CSnmpVarList::IsSettable(int index) const
{
    const int access = items[index]->access;
    if (access & ACCESS_INVALID)
        return false;
    if (access & ACCESS_WRITEONLY)
        return true;
    return (itemType == MVT_FMV || itemType == MVT_UMV) && index < keyCount;
}

bool IsTableList(const CSnmpVarList& list)
{
    return list.itemType == MVT_FMV || list.itemType == MVT_UMV;
}

bool HasReadable(const CSnmpVarList& list)
{
    for (int i = 0; i < list.count; ++i) {
        if (list.IsReadable(i))
            return true;
    }
    return false;
}

void ReopenColumns(CSnmpVarList& list)
{
    for (int i = 0; i < list.count; ++i)
        list.GetItem(i)->access &= ~ACCESS_ENDED;
}

CString ColumnOidText(const CSnmpVarList& list, int index)
{
    CString text(list.GetItem(index)->oid);
    if (!list.instance.IsEmpty())
        text += "." + list.instance;
    return text;
}
