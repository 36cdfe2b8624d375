#include "platform/ftp/listing_pipeline.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <system_error>
#include <utility>

namespace tarvo::ftp::detail {

namespace {

// Large reads keep a long listing from costing many wake-ups.
constexpr std::size_t kPartSize = 256 * 1024;
// Bounds the bytes read ahead of the parse (8 MiB) should the parse fall behind the network.
constexpr std::size_t kMaxWaiting = 32;
// One parser alone takes longer than reading the reply from a server on the same machine.
constexpr unsigned kMaxParsers = 3;

} // namespace

ListingPipeline::ListingPipeline(const ListingSink& sink, const RemoteTime& now, Listing& listing)
    : sink_(sink), now_(now), listing_(listing) {
    filling_.bytes = std::make_unique_for_overwrite<char[]>(kPartSize);
    filling_.capacity = kPartSize;
}

ListingPipeline::~ListingPipeline() {
    stop(dropped_);
}

std::span<char> ListingPipeline::room() {
    return {filling_.bytes.get() + filling_.size, filling_.capacity - filling_.size};
}

void ListingPipeline::received(std::size_t size, std::size_t queued) {
    const std::string_view fresh(filling_.bytes.get() + filling_.size, size);
    filling_.size += size;
    read_ += size;
    if (const auto end = fresh.rfind('\n'); end != std::string_view::npos)
        lineEnd_ = static_cast<std::size_t>(fresh.data() + end + 1 - filling_.bytes.get());
    // Fewer, larger parts: every hand-over may cost a parser a wake-up.
    if (filling_.size < filling_.capacity / 2)
        return;
    if (lineEnd_ == 0) {
        if (filling_.size < filling_.capacity)
            return;
        // A line longer than the part: it grows until the line ends.
        Part longer = sparePart(2 * filling_.capacity);
        std::memcpy(longer.bytes.get(), filling_.bytes.get(), filling_.size);
        longer.size = filling_.size;
        filling_ = std::move(longer);
        return;
    }
    const std::size_t rest = filling_.size - lineEnd_;
    Part next = sparePart(std::max(kPartSize, 2 * rest));
    std::memcpy(next.bytes.get(), filling_.bytes.get() + lineEnd_, rest);
    next.size = rest;
    filling_.size = lineEnd_;
    hand(std::exchange(filling_, std::move(next)), queued);
    lineEnd_ = 0;
}

std::size_t ListingPipeline::finish() {
    // A reply of one part, the common case, costs no thread: the reading is over anyway.
    if (filling_.size > 0 && parsers_.empty())
        parseHere(filling_, 0);
    else if (filling_.size > 0)
        hand(std::exchange(filling_, {}), 0);
    stop(ended_);
    if (failure_)
        std::rethrow_exception(failure_);
    return entries_;
}

ListingPipeline::Part ListingPipeline::sparePart(std::size_t capacity) {
    {
        const std::lock_guard lock(mutex_);
        if (!spare_.empty() && spare_.back().capacity >= capacity) {
            Part part = std::move(spare_.back());
            spare_.pop_back();
            return part;
        }
    }
    // Parts are filled again once parsed, so that reads mostly land in memory already touched.
    Part part;
    part.bytes = std::make_unique_for_overwrite<char[]>(capacity);
    part.capacity = capacity;
    return part;
}

void ListingPipeline::parseHere(const Part& part, std::size_t known) {
    Listing parsed;
    appendListing(std::string_view(part.bytes.get(), part.size), now_, parsed);
    handOver(part, parsed, known);
}

void ListingPipeline::hand(Part part, std::size_t queued) {
    // Parsers start with the first part rather than with the pipeline: a new thread started
    // at once on an idle core, where one that had been waiting was at times woken only
    // milliseconds later, with a dozen parts waiting for it.
    if (parsers_.empty())
        startParser();
    if (parsers_.empty()) {
        parseHere(part, read_ + queued);
        part.size = 0;
        spare_.push_back(std::move(part));
        return;
    }
    bool moreThanIdle = false;
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return waiting_.size() < kMaxWaiting || failure_; });
        if (failure_)
            return; // finish() passes the failure on
        known_ = read_ + queued;
        waiting_.push_back(std::move(part));
        moreThanIdle = waiting_.size() > idle_;
    }
    changed_.notify_all();
    if (moreThanIdle &&
        parsers_.size() < std::min(kMaxParsers, std::thread::hardware_concurrency()))
        startParser();
}

void ListingPipeline::startParser() {
    try {
        parsers_.emplace_back([this] { parseWhatArrives(); });
    } catch (const std::system_error&) {
        // The parsers at work go on; without any, the reading thread parses.
    }
}

void ListingPipeline::parseWhatArrives() {
    for (;;) {
        Parsed item;
        std::size_t turn = 0;
        {
            std::unique_lock lock(mutex_);
            ++idle_;
            changed_.wait(lock,
                          [this] { return ended_ || dropped_ || failure_ || !waiting_.empty(); });
            --idle_;
            if (dropped_ || failure_ || waiting_.empty())
                return;
            item.part = std::move(waiting_.front());
            waiting_.pop_front();
            turn = taken_++;
            if (!spareEntries_.empty()) {
                item.parsed.entries = std::move(spareEntries_.back());
                spareEntries_.pop_back();
            }
        }
        changed_.notify_all(); // the reading thread may wait for room
        try {
            appendListing(std::string_view(item.part.bytes.get(), item.part.size), now_,
                          item.parsed);
        } catch (...) {
            fail();
            return;
        }
        std::unique_lock lock(mutex_);
        if (dropped_ || failure_)
            return;
        const std::size_t slot = turn - done_;
        if (parsed_.size() <= slot)
            parsed_.resize(slot + 1);
        parsed_[slot] = std::move(item);
        if (!handingOver_)
            handOverInOrder(lock);
    }
}

// Whichever parser finds the next part in order parsed hands it over, and those after it that
// are parsed too: a parser that waited for its own turn was woken milliseconds late at times,
// holding up every part after it.
void ListingPipeline::handOverInOrder(std::unique_lock<std::mutex>& lock) {
    handingOver_ = true;
    while (!parsed_.empty() && parsed_.front() && !dropped_) {
        Parsed item = std::move(*parsed_.front());
        parsed_.pop_front();
        ++done_;
        const std::size_t known = known_;
        lock.unlock();
        try {
            handOver(item.part, item.parsed, known);
        } catch (...) {
            fail();
            lock.lock();
            return;
        }
        item.parsed.entries.clear();
        item.parsed.unreadableLines = 0;
        item.part.size = 0;
        lock.lock();
        spare_.push_back(std::move(item.part));
        spareEntries_.push_back(std::move(item.parsed.entries));
    }
    handingOver_ = false;
}

// Runs in the order of the parts, one at a time.
void ListingPipeline::handOver(const Part& part, Listing& parsed, std::size_t known) {
    if (sink_.raw)
        sink_.raw(std::string_view(part.bytes.get(), part.size));
    entries_ += parsed.entries.size();
    parsedBytes_ += part.size;
    listing_.unreadableLines += parsed.unreadableLines;
    const std::size_t expected = expectedEntries(known);
    if (sink_.entries) {
        sink_.entries(parsed.entries, expected);
        return;
    }
    std::vector<RemoteEntry>& entries = listing_.entries;
    if (entries.capacity() < expected)
        entries.reserve(std::max(expected, 2 * entries.capacity()));
    listing_.entries.insert(listing_.entries.end(), std::make_move_iterator(parsed.entries.begin()),
                            std::make_move_iterator(parsed.entries.end()));
}

// The entries that the bytes known so far (those read and those queued on the connection) will
// give, at the length of the lines parsed, so that the entries' vector (or the sink's records)
// can make room at once: a long listing from a fast server is mostly there after the first
// reads, and growing the vector part by part moved every entry and touched fresh memory at each
// doubling, 3 ms at 100,000 entries, while no other part could be handed over.
std::size_t ListingPipeline::expectedEntries(std::size_t known) const {
    const std::size_t coming = known > parsedBytes_ ? known - parsedBytes_ : 0;
    return entries_ + (entries_ == 0 ? 0 : coming / (parsedBytes_ / entries_ + 1));
}

void ListingPipeline::fail() {
    {
        const std::lock_guard lock(mutex_);
        if (!failure_)
            failure_ = std::current_exception();
    }
    changed_.notify_all();
}

void ListingPipeline::stop(bool& flag) {
    {
        const std::lock_guard lock(mutex_);
        flag = true;
    }
    changed_.notify_all();
    for (std::thread& parser : parsers_)
        parser.join();
    parsers_.clear();
}

} // namespace tarvo::ftp::detail
