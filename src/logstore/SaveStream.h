// A save of the open log in the making (see LogSession::SaveWhileLoading).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "logstore/ChunkWriter.h"
#include "logstore/LogSession.h"
#include "platform/ReplaceFile.h"

namespace qx {

// A save hands its text to the file in chunks of about this size.
inline constexpr std::size_t kWriteChunk = 1 << 20;

// A save in the making: its temporary file, the thread writing it, and the text
// not handed on yet. Begun during a read, it holds the records before `next`.
struct LogSession::SaveStream {
    SaveStream(const std::string& targetFile, const WriteOptions& saveOptions)
        : target(targetFile), options(saveOptions) {}

    const std::string target;
    const WriteOptions options;
    std::string realTarget;             // the file behind target's links
    std::string ownershipProblem;       // why the owner of the replaced file could not be kept
    sys::TempFile temp;                 // removed unless it replaced the target
    std::optional<ChunkWriter> writer;  // after `temp`, whose file it writes to
    std::string buf;
    std::uint64_t handedOn = 0;         // bytes handed to the file so far
    std::size_t next = 0;               // the records before it are written
    bool armed = false;                 // waits for the next full read
    bool feeding = false;               // that read is under way

    ~SaveStream() { Discard(); }
    sys::OutputFile& out() { return temp.out(); }
    void Discard() {
        writer.reset();
        temp.Discard();
    }
    // Hands the text put together so far to the file.
    bool HandOn() {
        handedOn += buf.size();
        const bool ok = writer ? writer->Hand(buf) : out().Write(buf);
        buf.clear();
        return ok;
    }
};

// Appends a record as a save of saveType (0 plain, 1 encoded, 2 encrypted) writes
// it, headers in headerMode: the one place that decides a record's saved form.
// A plain save writes a body that is stored as it reads without a copy.
void AppendSavedRecord(std::string& buf, LogData& r, int saveType, int headerMode, const std::string& password);
// Whether a plain save writes the record's body as it stands: it is stored as it reads.
inline bool BodyAsStored(const LogData& r) { return r.BodyMode() != kModeEncoded && r.BodyMode() != kModeEncrypted; }

}  // namespace qx
