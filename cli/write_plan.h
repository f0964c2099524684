// A write as tavctl carries it out for the write commands and restore: the
// records to send, how, and what to say once they are sent or stopped.
#pragma once

#include <string>
#include <vector>

#include "arguments.h"
#include "image/memory_image.h"

namespace tav::cli {

struct WritePlan {
    std::string file;          // where the image comes from, for the messages
    MemoryImage image;         // what the records are written from
    std::vector<int> records;  // the records sent, in order
    unsigned operation = 0;    // the device operation that sends them; 0: one at a time
    int remote = 1;            // 1..1000 for the one-remote write
    bool bulk = false;         // the verification reads the whole memory back
    std::string backup;        // the backup made before, or ""
    std::string doneNote;      // said once every record is written, or ""
};

// Sends the plan's records (nothing when an interrupt came first), then reads
// them back with --verify. An interrupt stops the write after the record on
// the line, and the lines say which records the receiver now holds from the
// file and where the backup is. The exit status.
int CarryOutWrite(const Args& a, WritePlan& plan);

}  // namespace tav::cli
