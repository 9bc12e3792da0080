#include "snmplib/Pdu.h"

#include <algorithm>
#include <utility>

Pdu::Pdu(const Vb* in, int count)
{
    if (!set_vblist(in, count))
        isValid = false;
}

bool Pdu::Room()
{
    // Room for a request's usual handful at once, instead of growing by
    // doubling from one; below 1 KiB, from which glibc's malloc sorts its
    // freed chunks before it allocates.
    const size_t kFirstCapacity = std::max<size_t>(1, 1000 / sizeof(Vb));
    if (vbs.size() >= PDU_MAX_VBS) {
        isValid = false;
        return false;
    }
    if (vbs.capacity() == 0)
        vbs.reserve(kFirstCapacity);
    return true;
}

Pdu& Pdu::operator+=(const Vb& vb)
{
    if (Room())
        vbs.push_back(vb);
    return *this;
}

Pdu& Pdu::operator+=(Vb&& vb)
{
    if (Room())
        vbs.push_back(std::move(vb));
    return *this;
}

bool Pdu::get_vb(Vb& vb, int index) const
{
    const Vb* found = vb_at(index);
    if (found == nullptr)
        return false;
    vb = *found;
    return true;
}

bool Pdu::set_vb(const Vb& vb, int index)
{
    if (index < 0 || index >= get_vb_count())
        return false;
    vbs[static_cast<size_t>(index)] = vb;
    return true;
}

const Vb* Pdu::vb_at(int index) const
{
    if (index < 0 || index >= get_vb_count())
        return nullptr;
    return &vbs[static_cast<size_t>(index)];
}

bool Pdu::trim(int count)
{
    if (count < 0 || count > get_vb_count())
        return false;
    vbs.resize(vbs.size() - static_cast<size_t>(count));
    return true;
}

bool Pdu::delete_vb(int index)
{
    if (index < 0 || index >= get_vb_count())
        return false;
    vbs.erase(vbs.begin() + index);
    return true;
}

bool Pdu::get_vblist(Vb* out, int capacity) const
{
    if (capacity < get_vb_count() || (out == nullptr && !vbs.empty()))
        return false;
    for (size_t i = 0; i < vbs.size(); ++i)
        out[i] = vbs[i];
    return true;
}

bool Pdu::set_vblist(const Vb* in, int count)
{
    if (count < 0 || count > PDU_MAX_VBS || (in == nullptr && count > 0))
        return false;
    vbs.assign(in, in + count);
    isValid = true;
    return true;
}

bool Pdu::set_vblist(std::vector<Vb>&& in)
{
    if (in.size() > PDU_MAX_VBS)
        return false;
    vbs = std::move(in);
    isValid = true;
    return true;
}

void Pdu::clear()
{
    *this = Pdu();
}
