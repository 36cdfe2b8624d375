#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// One entry a file job works on, taken from the panel's listing when the job is built: the
// name as the file system gives it, never the text of a cell.
struct MarkDomain {
    std::string Source; // the folder the entry is in
    std::string Target; // the folder it goes to; empty for a delete
    std::string Name;
    bool Folder = false;    // listed as a folder (a link to a folder too)
    bool Link = false;      // listed as a symbolic link
    int Row = -1;           // the panel row it came from; -1 for a name dropped from elsewhere
    int Mode = 0;           // Unix permission bits an FTP listing gave; 0 when none
    std::uint64_t Size = 0; // bytes of a file as listed; 0 when not known
};

// A file job: its entries in row order and whether it moves them.
struct JobQueue {
    int Id = 0;
    int Kind = 0; // the mailbox code that works it
    bool Move = false;
    std::vector<MarkDomain> Items;
};

// Builds file jobs on the GUI thread, one at a time, from the entries of a command.
class QueueList {
public:
    void AddItem(MarkDomain item) { Pending.Items.push_back(std::move(item)); }

    // Takes the pending job out with the next id; none when it has no entries, so that an empty
    // job is never posted.
    std::optional<JobQueue> Commit(int kind, bool move) {
        if (Pending.Items.empty())
            return std::nullopt;
        JobQueue job = std::move(Pending);
        Pending = {};
        job.Id = NextJobId++;
        job.Kind = kind;
        job.Move = move;
        return job;
    }

private:
    JobQueue Pending;
    int NextJobId = 0;
};
