#include "snmpfw/SnmpRequest.h"

#include "common/QvErrors.h"
#include "common/QvException.h"
#include "common/SnmpStatus.h"
#include "snmplib/SnmpLib.h"

#include <cstring>
#include <memory>
#include <utility>
#include <vector>

namespace {

// The agent's dotted address, and its port when the target names one.
void ReadAddress(const SnmpTarget& target, CSnmpResult& result)
{
    GenAddress address;
    target.get_address(address);
    if (address.get_type() == GenAddress::type_invalid)
        return;
    // The address alone: a UDP address prints its port too.
    result.address = address.get_ip_address().IpAddress::get_printable();
    if (address.get_type() == GenAddress::type_udp)
        result.port = address.get_udp_address().get_port();
}

void TakeException(CQVException* e, CSnmpResult& result)
{
    result.code = e->m_nCode;
    result.message = e->GetText();
    e->Delete();
}

// What one readable item of a list was answered in a response step.
struct CAnswer {
    int item;
    const Vb* vb;  // null: the response has no binding for it
    CString column;
    CString received;
    bool ended;  // the column has run past the end of the table
};

// What follows the column and its dot in the identifier received, as
// received.Mid(column length + 1) would give it, without a copy.
const char* InstancePart(const CAnswer& answer)
{
    const int at = answer.column.GetLength() + 1;
    return at <= answer.received.GetLength() ? static_cast<const char*>(answer.received) + at : "";
}

// The row a table step delivers, as table readers take it: the lowest
// instance among the columns that have not ended, compared sub-identifier by
// sub-identifier. A column whose cell lies beyond it has no cell in this row.
CString LowestInstance(const std::vector<CAnswer>& answers)
{
    CString row;
    for (const CAnswer& answer : answers) {
        if (answer.ended)
            continue;
        const char* instance = InstancePart(answer);
        // The columns of a row mostly answer with the same instance.
        if (row.IsEmpty() || (std::strcmp(instance, row) != 0 && Oid::CompareDotted(instance, row) < 0))
            row = instance;
    }
    return row;
}

}  // namespace

void SnmpCallback(int reason, Snmp*, Pdu& pdu, SnmpTarget& target, void* data)
{
    std::unique_ptr<CSnmpRequestContext> context(static_cast<CSnmpRequestContext*>(data));
    if (context->request != nullptr)
        context->request->OnResponse(reason, pdu, target, *context);
}

void CSnmpRequest::OnResponse(int reason, Pdu& pdu, SnmpTarget& target, CSnmpRequestContext& context)
{
    if (reason == SNMP_CLASS_SESSION_DESTROYED) {
        Settle(context);
        return;
    }
    CSnmpResult result;
    TranslateSnmpStatus(reason == SNMP_CLASS_TIMEOUT ? SNMP_CLASS_TIMEOUT : pdu.get_error_status(), result.code,
                        result.message);
    result.errorIndex = pdu.get_error_index();
    ReadAddress(target, result);
    // A set ends its request whatever its list holds, a table row included.
    result.done = true;
    // An error while the response is applied ends the request like any other
    // failure: it must not reach the library's event processing.
    try {
        if (ApplyResponse(pdu, context, result) == OUTCOME_ASK_AGAIN) {
            // The completion comes with the step asked again. It is the same
            // step, so it goes out even while this object is being
            // destroyed; the destructor's wait covers it.
            AskAgain(context);
            Settle(context);
            return;
        }
    } catch (CQVException* e) {
        TakeException(e, result);
    }
    if (context.callback != nullptr) {
        try {
            context.callback(&result, &context.list, context.userData);
        } catch (CQVException* e) {
            e->Delete();
        }
    }
    // The callback may have destroyed this object; its destructor then left
    // the context behind.
    if (context.request != nullptr)
        Settle(context);
}

CSnmpRequest::Outcome CSnmpRequest::ApplyResponse(Pdu& pdu, CSnmpRequestContext& context, CSnmpResult& result)
{
    const bool table = IsTableList(context.list) && !context.set;
    if (table && result.code == QV_CODE_NO_SUCH_NAME) {
        const Outcome outcome = EndColumn(pdu, context.list);
        if (outcome == OUTCOME_TABLE_END)
            TranslateSnmpStatus(SNMP_CLASS_SUCCESS, result.code, result.message);
        return outcome;
    }
    if (result.code != QV_OK || !context.apply)
        return OUTCOME_FINISHED;
    if (context.set) {
        ApplySet(pdu, context);
        return OUTCOME_FINISHED;
    }
    const Outcome outcome = ApplyRow(pdu, context.list);
    result.done = outcome != OUTCOME_ROW;
    return outcome;
}

void CSnmpRequest::Settle(CSnmpRequestContext& context)
{
    pendingContexts.erase(&context);
    --outstanding;
}

void CSnmpRequest::ApplySet(Pdu& pdu, CSnmpRequestContext& context)
{
    bool matches = pdu.get_vb_count() == static_cast<int>(context.sent.size());
    for (size_t k = 0; matches && k < context.sent.size(); ++k)
        matches = CString(pdu.vb_at(static_cast<int>(k))->get_printable_oid()) == context.sent[k].second;
    if (!matches) {
        int code = 0;
        CString text;
        TranslateSnmpStatus(SNMP_CLASS_INVALID_PDU, code, text);
        ThrowQVException(code, text);
    }
    // Into a copy: a value that cannot be converted leaves the list as it was.
    CSnmpVarList applied(context.list);
    for (size_t k = 0; k < context.sent.size(); ++k) {
        const int index = context.sent[k].first;
        VbToText(index, *pdu.vb_at(static_cast<int>(k)), applied);
        *applied.GetItem(index)->instance = context.sent[k].second;
    }
    for (int i = 0; i < applied.count; ++i)
        EvaluateDerived(i, true, applied);
    context.list = std::move(applied);
}

CSnmpRequest::Outcome CSnmpRequest::ApplyRow(Pdu& pdu, CSnmpVarList& list)
{
    const bool table = IsTableList(list);
    // The previous row's place, taken before this response changes any key.
    const CString previousRow = table ? MakeRowInstance(list) : CString();
    std::vector<CAnswer> answers;
    answers.reserve(static_cast<size_t>(list.count));
    int processed = 0;
    for (int i = 0; i < list.count; ++i) {
        if (!list.IsReadable(i))
            continue;
        // Bindings answer the readable items in order; an item left without
        // one has no value in this response.
        const Vb* vb = pdu.vb_at(processed++);
        CString received = vb != nullptr ? CString(vb->get_printable_oid()) : CString();
        if (vb == nullptr && !table)
            continue;
        CString column = ColumnOidText(list, i);
        const bool ended = vb == nullptr || IsColumnEnd(column, *list.GetItem(i)->instance, received, list);
        answers.push_back({i, vb, std::move(column), std::move(received), ended});
    }
    const CString row = table ? LowestInstance(answers) : CString();
    int notDone = 0;
    for (CAnswer& answer : answers) {
        SnmpVarItem* item = list.GetItem(answer.item);
        const CString& column = answer.column;
        if (answer.ended) {
            *item->value = kNotDoneText;
            ++notDone;
            // Ask again for the place after the previous row. Without keys
            // there is no row to name: the same place is asked again.
            if (!previousRow.IsEmpty())
                *item->instance = column + "." + previousRow;
            else if (item->instance->IsEmpty())
                *item->instance = column;
        } else if (table && std::strcmp(InstancePart(answer), row) != 0) {
            // The column has no cell in this row: its next cell, beyond the
            // row, is asked for again from the row's place.
            item->value->Empty();
            *item->instance = column + "." + row;
        } else {
            VbToText(answer.item, *answer.vb, list);
            *item->instance = std::move(answer.received);
        }
    }
    if (notDone == processed)
        return OUTCOME_FINISHED;
    if (table)
        DecodeRowKeys(row, list);
    for (int k = 0; k < list.count; ++k)
        EvaluateDerived(k, true, list);
    return table ? OUTCOME_ROW : OUTCOME_FINISHED;
}

// SNMPv1 has no end-of-MIB exception: a get-next past the agent's last object
// is answered with noSuchName, the request's bindings as they were sent and
// the error index naming the one that failed (RFC 1157, 4.1.3). That column
// has ended; the others may still have rows, so the step is asked again
// without it, as SNMPv1 managers fix and resend. An index that names no
// binding asked for is an error of the request.
CSnmpRequest::Outcome CSnmpRequest::EndColumn(const Pdu& pdu, CSnmpVarList& list)
{
    const int index = pdu.get_error_index();
    if (index < 1 || index > pdu.get_vb_count())
        return OUTCOME_TABLE_ERROR;
    const int failed = index - 1;
    const Vb* vb = pdu.vb_at(failed);
    int binding = 0;
    int item = 0;
    for (; item < list.count; ++item) {
        if (list.IsReadable(item) && binding++ == failed)
            break;
    }
    if (item == list.count)
        return OUTCOME_TABLE_ERROR;
    SnmpVarItem* column = list.GetItem(item);
    const CString asked = column->instance->IsEmpty() ? ColumnOidText(list, item) : *column->instance;
    if (CString(vb->get_printable_oid()) != asked)
        return OUTCOME_TABLE_ERROR;
    // A key keeps the previous row's value: it names the place the other
    // columns are asked from again.
    if (item >= list.keyCount)
        *column->value = kNotDoneText;
    column->access |= ACCESS_ENDED;
    return HasReadable(list) ? OUTCOME_ASK_AGAIN : OUTCOME_TABLE_END;
}
