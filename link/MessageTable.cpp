#include "link/MessageTable.h"

// The entries themselves (kCommon, kMagCalProgress) are generated into
// MessageTableData.cpp.

const MavlinkMessageEntry *MessageTable::commonEntries()
{
    return kCommon;
}

const MavlinkMessageEntry *MessageTable::findCommon(uint32_t msgid)
{
    // Bisection that settles on the highest entry whose id is not above msgid.
    uint32_t low = 0;
    uint32_t high = kCommonCount - 1;
    while (low < high) {
        const uint32_t mid = (low + 1 + high) / 2;
        if (msgid < kCommon[mid].msgid)
            high = mid - 1;
        else if (msgid > kCommon[mid].msgid)
            low = mid;
        else {
            low = mid;
            break;
        }
    }
    return kCommon[low].msgid == msgid ? &kCommon[low] : nullptr;
}

const MavlinkMessageEntry &MessageTable::magCalProgress()
{
    return kMagCalProgress;
}

const MavlinkMessageEntry *MessageTable::lookup(uint32_t msgid)
{
    if (const MavlinkMessageEntry *e = findCommon(msgid))
        return e;
    if (msgid == kMagCalProgress.msgid)
        return &kMagCalProgress;
    return nullptr;
}
