#pragma once

#include "platform/Afx.h"
#include "snmpfw/SnmpTargetParams.h"
#include "snmpfw/SnmpVarList.h"

#include <unordered_set>
#include <utility>
#include <vector>

class CTarget;
class Pdu;
class Snmp;
class SnmpTarget;
class UTarget;
class Vb;

// What a completion callback learns about a response.
struct CSnmpResult {
    int code = 0;        // 0, or an error code with its catalogue text in message
    int errorIndex = 0;  // the response's, for callers; nothing here reads it
    CString message;
    CString address;    // the agent's, dotted, without the port
    CString reserved1;  // always empty: the record keeps its place
    unsigned short port = 0;
    CString reserved2;  // always empty
    // No further step belongs to the request: a single-instance fetch or a
    // set has completed, a table has ended, or an error occurred. False when
    // a table row has been delivered and the walk can go on.
    bool done = false;
};

// Called once per asynchronous request, from the thread's message loop. The
// list holds the response; both pointers are valid only during the call.
typedef void (*SnmpCompletionCallback)(CSnmpResult* pResult, CSnmpVarList* pList, DWORD dwUserData);

class CSnmpRequest;

// What an asynchronous request carries from its send to its completion.
struct CSnmpRequestContext {
    CSnmpRequest* request;  // not owned; null once the request object is gone
    CSnmpVarList list;      // the list sent: a copy of the request's list, or the one handed over
    bool apply;             // whether a successful response goes into the list
    SnmpCompletionCallback callback;
    DWORD userData;
    // A set's items as they went out, in the order of its bindings: the item
    // index and the OID. A set's answer goes to these and no others.
    bool set = false;
    std::vector<std::pair<int, CString>> sent;
    // Where and how it went, and whether as the first step of a walk: a step
    // asked again goes the same way, whatever the request object holds by then.
    CSnmpTargetParams target;
    bool first = false;
};

// The library's completion trampoline for every asynchronous request; its
// data is the request context, which it releases.
void SnmpCallback(int reason, Snmp* session, Pdu& pdu, SnmpTarget& target, void* data);

// The object through which the system talks to an agent: one set of target
// parameters, one variable list, and the count of its asynchronous requests
// in flight. Its virtual operations are the conversion hooks between SNMP
// values and the display texts that items hold, in slot order; a derived
// request may replace any of them.
//
// Member files: SnmpRequestIndex.cpp (index conversions and row keys),
// SnmpRequestValue.cpp (value conversions), SnmpRequestDerived.cpp (derived
// values and conditions), SnmpRequestColumnEnd.cpp (end of a column),
// SnmpRequestSend.cpp (the object, targets, PDUs and the three requests),
// SnmpRequestChoice.cpp (what a set sends), SnmpRequestResponse.cpp
// (completions and the response step).
//
// A request object is used on the thread that owns the event processor's
// window; nothing is locked.
class CSnmpRequest {
public:
    // A response step's outcome.
    enum Outcome {
        OUTCOME_ROW,          // a table row is in the list; another may follow
        OUTCOME_FINISHED,     // nothing more belongs to the request
        OUTCOME_TABLE_END,    // the last column still read had no object after it (noSuchName)
        OUTCOME_TABLE_ERROR,  // noSuchName naming no variable that was asked for
        OUTCOME_ASK_AGAIN,    // a column had no object after it: the step goes again without it
    };

    // How BuildPdu builds.
    enum PduMode { PDU_FIRST_FETCH, PDU_CONTINUATION, PDU_SET };

    // Starts from the session's default target parameters, with retries 1.
    CSnmpRequest();
    // Waits up to 6000 ms, pumping the thread's messages, for the requests
    // still outstanding; those still outstanding afterwards complete without
    // reaching this object.
    virtual ~CSnmpRequest();
    CSnmpRequest(const CSnmpRequest&) = delete;
    CSnmpRequest& operator=(const CSnmpRequest&) = delete;

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
    // True when a table walk has left the column, or the agent answered with
    // an identifier that does not follow the one asked for.
    virtual bool IsColumnEnd(const CString& column, const CString& previous, const CString& received,
                             CSnmpVarList& list);
    // The display text of a derived number in its item's syntax (the low 32
    // bits of a number too large for a 32-bit syntax, 0 for one not finite).
    virtual CString DerivedNumberText(int syntax, double number);

    // Synchronous fetch: true when a table row has been put into varList and
    // another may follow (call again with first false). Failures are thrown.
    BOOL Get(BOOL first);
    // Asynchronous fetch; the response reaches the callback. A failure to
    // send is thrown, and then no callback follows.
    void AsyncGet(SnmpCompletionCallback callback, BOOL first, DWORD userData);
    // The same for list instead of varList, which stays as it is. Once the
    // step is handed to the session the list is taken, sent or not: a caller
    // handing each row of a walk back needs no copy of it, and the
    // completion's list is the one taken.
    void AsyncGet(CSnmpVarList&& list, SnmpCompletionCallback callback, BOOL first, DWORD userData);
    // Asynchronous set of the list's settable items, or of those the index
    // list names ("0,2"), with the values given for them.
    void AsyncSet(SnmpCompletionCallback callback, BOOL apply, const CString& indexList, CStringList* values,
                  DWORD userData);

    // Replaces every marker reference ("$" and an item index) in expression
    // with the value of that item of this object's own list.
    CString SubstituteReferences(const CString& expression, bool quoteStrings, const CString& marker);

    // Fills both targets and returns the one to use; -509 for an address that
    // is neither an IPv4 address nor a resolvable name.
    SnmpTarget& BuildTarget(CTarget& communityTarget, UTarget& userTarget);
    void BuildPdu(PduMode mode, Pdu& pdu);
    // The keys of varList (or of list), encoded and joined with ".".
    CString MakeRowInstance();
    CString MakeRowInstance(CSnmpVarList& list);

    // Response side.
    void OnResponse(int reason, Pdu& pdu, SnmpTarget& target, CSnmpRequestContext& context);
    // Puts an asynchronous response into the context's list and says how the
    // request goes on; the result's done and code follow the outcome.
    Outcome ApplyResponse(Pdu& pdu, CSnmpRequestContext& context, CSnmpResult& result);
    Outcome ApplyRow(Pdu& pdu, CSnmpVarList& list);
    // A set's answer into the items sent; an answer whose bindings are not
    // those sent is thrown as an invalid PDU, and changes nothing.
    void ApplySet(Pdu& pdu, CSnmpRequestContext& context);
    void DecodeRowKeys(const CString& rowInstance, CSnmpVarList& list);
    // A table step answered with noSuchName: the column its error index
    // names has ended, for this row and every later one.
    Outcome EndColumn(const Pdu& pdu, CSnmpVarList& list);

    // A fetch of a single-instance (MVT_SV) list asks with get-next instead
    // of get, for callers that name variables without their instance;
    // nothing in the plug-in sets it.
    BOOL useGetNext;
    CSnmpTargetParams targetParams;
    CSnmpVarList varList;
    BOOL valid;
    int outstanding;

private:
    // Both AsyncGets: the fetch of list, its context holding the list
    // taken or a copy of it.
    void StartFetch(CSnmpVarList& list, bool take, SnmpCompletionCallback callback, BOOL first, DWORD userData);
    // Get and AsyncGet: the targets and the PDU of a fetch of list.
    SnmpTarget& PrepareFetch(BOOL first, CSnmpVarList& list, CTarget& communityTarget, UTarget& userTarget, Pdu& pdu);
    // AsyncSet: the targets and the PDU of a set of the chosen items, and the
    // items sent; the list is as it was afterwards, built or not.
    SnmpTarget& PrepareSet(const CString& indexList, CStringList* values, CTarget& communityTarget, UTarget& userTarget,
                           Pdu& pdu, std::vector<std::pair<int, CString>>& sent);
    bool UsesGetNext(const CSnmpVarList& list) const;
    // Sends a table step once more, as the context says: its target, its
    // list, its callback.
    void AskAgain(const CSnmpRequestContext& context);
    void Send(Pdu& pdu, SnmpTarget& target, CSnmpRequestContext* context);
    void WaitForOutstanding();
    void Settle(CSnmpRequestContext& context);

    // Contexts in flight, so that the destructor can leave them behind.
    std::unordered_set<CSnmpRequestContext*> pendingContexts;
};

// Whether a set of the list sends item index: the keys of a table row, which
// its OIDs name, and the items that cannot be set stay out.
bool IsSentBySet(const CSnmpVarList& list, int index);

// The text a table column carries once the walk has run past its end.
inline const char* const kNotDoneText = "(NOTDONE)";
