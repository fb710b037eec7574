#include "logstore/ReadPlan.h"

namespace qx {

ReadPlan PlanRead(std::uint64_t startOffset, bool full, const LastRead& last, const FileNow& now) {
    ReadPlan plan;
    plan.from = startOffset;
    plan.full = full;
    if (full) return plan;
    plan.replaced = now.size < startOffset || now.device != last.device || now.inode != last.inode ||
                    startOffset != last.loadedSize || !now.fingerprintMatches;
    if (plan.replaced) {
        plan.full = true;
        plan.from = 0;
        return plan;
    }
    const ReadTail& tail = last.tail;
    if (tail.valid) {
        if (!now.lastBlockGoesOn) return plan;
        // Take the last block back and read it again whole.
        if (tail.produced && tail.recordCount < last.recordCount) {
            plan.dropFrom = static_cast<long long>(tail.recordCount);
            plan.changed = plan.dropFrom;
        } else if (tail.foldedInto >= 0 && static_cast<std::size_t>(tail.foldedInto) < last.recordCount) {
            plan.truncate = tail.foldedInto;
            plan.truncateLength = tail.foldedBodyLength;
            plan.changed = tail.foldedInto;
        }
        plan.from = tail.offset;
    } else if (last.resumeOffset < last.loadedSize) {
        plan.from = last.resumeOffset;  // a half-written line in front of any block
    }
    return plan;
}

}  // namespace qx
