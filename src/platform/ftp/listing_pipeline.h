#pragma once

#include "platform/ftp/list_parser.h"
#include "platform/ftp/listing_sink.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <thread>
#include <vector>

namespace tarvo::ftp {

namespace detail {

// Parses a LIST reply while it is read. The reading thread only puts what it receives into
// parts cut at line ends; threads of the pipeline's own parse the parts, several at once when
// the reads run ahead, and hand them over in the order they were read: to the sink, or into the
// listing. A server that sends a long listing all at once is then drained as fast as the
// connection allows: parsing between the reads held it up, since the server cannot send more
// than the socket buffers hold.
class ListingPipeline {
public:
    // `listing` and the sink belong to the pipeline's threads until finish() or the destructor.
    ListingPipeline(const ListingSink& sink, const RemoteTime& now, Listing& listing);
    // Drops the parts not parsed yet and waits for those being parsed.
    ~ListingPipeline();
    ListingPipeline(const ListingPipeline&) = delete;
    ListingPipeline& operator=(const ListingPipeline&) = delete;

    // Where the next read puts its bytes; never empty.
    std::span<char> room();
    // The last read put `size` bytes into room(); `queued` more are known to be on their way
    // (0 when unknown), so that the listing's entries can make room for them at once.
    void received(std::size_t size, std::size_t queued);
    // The reply is complete (its last line may lack its end): waits until every part is handed
    // over and gives the number of entries found. Passes on what the parse or the sink threw.
    std::size_t finish();

private:
    struct Part {
        std::unique_ptr<char[]> bytes;
        std::size_t capacity = 0;
        std::size_t size = 0;
    };
    struct Parsed {
        Part part;
        Listing parsed;
    };

    Part sparePart(std::size_t capacity);
    void hand(Part part, std::size_t queued);
    void parseHere(const Part& part, std::size_t known);
    void startParser();
    void parseWhatArrives();
    void handOverInOrder(std::unique_lock<std::mutex>& lock);
    void handOver(const Part& part, Listing& parsed, std::size_t known);
    std::size_t expectedEntries(std::size_t known) const;
    void fail();
    void stop(bool& flag);

    const ListingSink& sink_;
    const RemoteTime now_;

    // The reading thread's part, and the end of its last complete line (0: none yet).
    Part filling_;
    std::size_t lineEnd_ = 0;
    std::size_t read_ = 0;
    // Started as the reads run ahead of them; only the reading thread starts and joins them.
    std::vector<std::thread> parsers_;

    // Handed over in turn: touched by one parser at a time, or by the reading thread where it
    // parses a part itself (a reply of one part, or no parser could be started).
    Listing& listing_;
    std::size_t parsedBytes_ = 0;
    std::size_t entries_ = 0;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Part> waiting_;
    std::size_t known_ = 0; // the bytes read and queued on the connection at the last hand-over
    std::size_t taken_ = 0; // parts taken by a parser
    std::size_t done_ = 0;  // parts taken to be handed over, in the order they were read
    // Parsed parts not handed over yet, each at its place counted from the next to hand over.
    std::deque<std::optional<Parsed>> parsed_;
    bool handingOver_ = false; // a parser is handing parts over
    std::size_t idle_ = 0;     // parsers waiting for a part
    std::vector<Part> spare_;  // parsed parts, for the reading thread to fill again
    std::vector<std::vector<RemoteEntry>> spareEntries_; // for the parsers to fill again
    bool ended_ = false;   // no more parts: the parsers take what waits and end
    bool dropped_ = false; // the parsers end without taking what waits
    std::exception_ptr failure_;
};

} // namespace detail
} // namespace tarvo::ftp
