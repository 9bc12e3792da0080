#pragma once
// MFC's node-based collections with POSITION iteration. A POSITION stays valid
// until its own element is removed; removing other elements does not affect it.

#include <cstddef>
#include <map>

#include "platform/AfxObject.h"
#include "platform/AfxString.h"

namespace afxdetail {

// Doubly linked list shared by CPtrList and CStringList; a POSITION is a node address.
template <typename T, typename ArgT>
class TypedList {
public:
    explicit TypedList(int nBlockSize = 10) { (void)nBlockSize; }
    TypedList(const TypedList&) = delete;
    TypedList& operator=(const TypedList&) = delete;
    ~TypedList() { RemoveAll(); }

    int GetCount() const { return m_nCount; }
    int GetSize() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }

    T& GetHead() { return m_pHead->data; }
    const T& GetHead() const { return m_pHead->data; }
    T& GetTail() { return m_pTail->data; }
    const T& GetTail() const { return m_pTail->data; }

    T RemoveHead()
    {
        Node* node = m_pHead;
        T value = node->data;
        Unlink(node);
        return value;
    }
    T RemoveTail()
    {
        Node* node = m_pTail;
        T value = node->data;
        Unlink(node);
        return value;
    }

    POSITION AddHead(ArgT value) { return InsertNode(nullptr, m_pHead, value); }
    POSITION AddTail(ArgT value) { return InsertNode(m_pTail, nullptr, value); }
    void AddHead(const TypedList* pList)
    {
        for (Node* node = pList->m_pTail; node != nullptr; node = node->prev)
            AddHead(node->data);
    }
    void AddTail(const TypedList* pList)
    {
        for (Node* node = pList->m_pHead; node != nullptr; node = node->next)
            AddTail(node->data);
    }

    void RemoveAll()
    {
        Node* node = m_pHead;
        while (node != nullptr) {
            Node* next = node->next;
            delete node;
            node = next;
        }
        m_pHead = m_pTail = nullptr;
        m_nCount = 0;
    }

    POSITION GetHeadPosition() const { return ToPos(m_pHead); }
    POSITION GetTailPosition() const { return ToPos(m_pTail); }

    // Return the element at rPosition and advance rPosition (null past the end).
    T& GetNext(POSITION& rPosition) { return Step(rPosition, &Node::next)->data; }
    const T& GetNext(POSITION& rPosition) const { return Step(rPosition, &Node::next)->data; }
    T& GetPrev(POSITION& rPosition) { return Step(rPosition, &Node::prev)->data; }
    const T& GetPrev(POSITION& rPosition) const { return Step(rPosition, &Node::prev)->data; }

    T& GetAt(POSITION position) { return FromPos(position)->data; }
    const T& GetAt(POSITION position) const { return FromPos(position)->data; }
    void SetAt(POSITION position, ArgT value) { FromPos(position)->data = value; }
    void RemoveAt(POSITION position) { Unlink(FromPos(position)); }

    // A null position inserts at the head (InsertBefore) or the tail (InsertAfter).
    POSITION InsertBefore(POSITION position, ArgT value)
    {
        Node* next = FromPos(position);
        if (next == nullptr)
            return AddHead(value);
        return InsertNode(next->prev, next, value);
    }
    POSITION InsertAfter(POSITION position, ArgT value)
    {
        Node* prev = FromPos(position);
        if (prev == nullptr)
            return AddTail(value);
        return InsertNode(prev, prev->next, value);
    }

    // Search starts after startAfter, or at the head when it is null.
    POSITION Find(ArgT searchValue, POSITION startAfter = nullptr) const
    {
        Node* node = startAfter == nullptr ? m_pHead : FromPos(startAfter)->next;
        for (; node != nullptr; node = node->next) {
            if (node->data == searchValue)
                return ToPos(node);
        }
        return nullptr;
    }
    POSITION FindIndex(int nIndex) const
    {
        if (nIndex < 0 || nIndex >= m_nCount)
            return nullptr;
        Node* node = m_pHead;
        while (nIndex-- > 0)
            node = node->next;
        return ToPos(node);
    }

private:
    struct Node : __POSITION {
        explicit Node(ArgT value) : data(value) {}
        Node* prev = nullptr;
        Node* next = nullptr;
        T data;
    };

    static POSITION ToPos(Node* node) { return node; }
    static Node* FromPos(POSITION position) { return static_cast<Node*>(position); }

    // The node at rPosition; rPosition moves on to its neighbour along link.
    static Node* Step(POSITION& rPosition, Node* Node::*link)
    {
        Node* node = FromPos(rPosition);
        rPosition = ToPos(node->*link);
        return node;
    }

    POSITION InsertNode(Node* prev, Node* next, ArgT value)
    {
        Node* node = new Node(value);
        node->prev = prev;
        node->next = next;
        (prev != nullptr ? prev->next : m_pHead) = node;
        (next != nullptr ? next->prev : m_pTail) = node;
        ++m_nCount;
        return ToPos(node);
    }

    void Unlink(Node* node)
    {
        (node->prev != nullptr ? node->prev->next : m_pHead) = node->next;
        (node->next != nullptr ? node->next->prev : m_pTail) = node->prev;
        delete node;
        --m_nCount;
    }

    Node* m_pHead = nullptr;
    Node* m_pTail = nullptr;
    int m_nCount = 0;
};

}  // namespace afxdetail

class CPtrList : public CObject, public afxdetail::TypedList<void*, void*> {
public:
    explicit CPtrList(int nBlockSize = 10) : TypedList(nBlockSize) {}
};

class CStringList : public CObject, public afxdetail::TypedList<CString, const CString&> {
public:
    explicit CStringList(int nBlockSize = 10) : TypedList(nBlockSize) {}
    POSITION AddHead(LPCTSTR value) { return TypedList::AddHead(CString(value)); }
    POSITION AddTail(LPCTSTR value) { return TypedList::AddTail(CString(value)); }
    POSITION AddHead(const CString& value) { return TypedList::AddHead(value); }
    POSITION AddTail(const CString& value) { return TypedList::AddTail(value); }
    void AddHead(const CStringList* pList) { TypedList::AddHead(pList); }
    void AddTail(const CStringList* pList) { TypedList::AddTail(pList); }
};

// Text-to-text map; iteration order is not defined (MFC hashes), callers must not rely on it.
class CMapStringToString : public CObject {
public:
    explicit CMapStringToString(int nBlockSize = 10);
    CMapStringToString(const CMapStringToString&) = delete;
    CMapStringToString& operator=(const CMapStringToString&) = delete;
    ~CMapStringToString() override;

    int GetCount() const { return static_cast<int>(m_map.size()); }
    int GetSize() const { return GetCount(); }
    BOOL IsEmpty() const { return m_map.empty(); }

    BOOL Lookup(LPCTSTR key, CString& rValue) const;
    BOOL LookupKey(LPCTSTR key, LPCTSTR& rKey) const;
    CString& operator[](LPCTSTR key);
    void SetAt(LPCTSTR key, LPCTSTR newValue);
    BOOL RemoveKey(LPCTSTR key);
    void RemoveAll();

    POSITION GetStartPosition() const;
    void GetNextAssoc(POSITION& rNextPosition, CString& rKey, CString& rValue) const;

private:
    // Nodes of std::map keep their address, so an Assoc serves as a POSITION.
    struct Assoc : __POSITION {
        CString value;
        const CString* key = nullptr;
    };
    std::map<CString, Assoc> m_map;
};
