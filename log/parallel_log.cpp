#include "parallel_log.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "log_blocks.h"

namespace kestrane {
namespace {

// The bytes of the log held in blocks at once, whatever the threads: the
// blocks shrink as threads are added.
constexpr std::size_t held_bytes = std::size_t{8} << 20;
// The header's block: small, as it is corrected before any thread starts.
constexpr std::size_t header_block = std::size_t{64} << 10;

// A block and what its correction gave.
struct Job {
    LogBlock block;
    std::string out;  // memory for the output, reused from a block before
    std::unique_ptr<LogCorrector> corrector;
    std::exception_ptr error;
    bool taken = false;
    bool done = false;
};

// Threads that correct blocks, each block as if it began at a record's start
// after the header that settled the layout.
class Workers {
public:
    Workers(std::size_t count, const LogOptions& options, const LogLayout& layout);
    Workers(const Workers&) = delete;
    Workers& operator=(const Workers&) = delete;
    ~Workers();

    void add(Job& job);
    // Waits for a job to be done; one no thread has taken yet is done on the caller's.
    void wait(Job& job);

private:
    void work();
    void correct(Job& job) const;

    const LogOptions& options_;
    const LogLayout layout_;
    std::mutex mutex_;
    std::condition_variable queued_;
    std::condition_variable finished_;
    std::deque<Job*> queue_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

Workers::Workers(std::size_t count, const LogOptions& options, const LogLayout& layout)
    : options_(options), layout_(layout) {
    // A thread the system will not start leaves its jobs to the others, or to the caller.
    try {
        for (std::size_t k = 0; k < count; ++k)
            threads_.emplace_back([this] { work(); });
    } catch (const std::system_error&) {
    }
}

Workers::~Workers() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    queued_.notify_all();
    for (std::thread& thread : threads_)
        thread.join();
}

void Workers::add(Job& job) {
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back(&job);
    }
    queued_.notify_one();
}

void Workers::wait(Job& job) {
    std::unique_lock lock(mutex_);
    if (!job.taken) {
        queue_.erase(std::find(queue_.begin(), queue_.end(), &job));
        job.taken = true;
        lock.unlock();
        correct(job);
        return;
    }
    finished_.wait(lock, [&job] { return job.done; });
}

void Workers::work() {
    for (;;) {
        Job* job = nullptr;
        {
            std::unique_lock lock(mutex_);
            queued_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_)
                return;
            job = queue_.front();
            queue_.pop_front();
            job->taken = true;
        }
        correct(*job);
        {
            const std::lock_guard lock(mutex_);
            job->done = true;
        }
        finished_.notify_all();
    }
}

// Corrects the block as if it began at a record's start. It is pushed in the
// pieces a log is read in, so the reader holds little more than one record.
void Workers::correct(Job& job) const {
    try {
        job.corrector = std::make_unique<LogCorrector>(options_, layout_, job.block.line);
        job.corrector->output().swap(job.out);
        const std::string_view bytes = job.block.bytes;
        for (std::size_t at = 0; at < bytes.size(); at += log_read_size)
            job.corrector->push(bytes.substr(at, log_read_size));
        job.corrector->push(job.block.ahead);
    } catch (...) {
        job.error = std::current_exception();
    }
}

// One log corrected in blocks: read, cut and written in order on the calling
// thread, corrected on the workers. The corrector that reads the current
// record is `current_`: the leader, which reads the header, then the
// corrector of each block whose start turned out to be a record's.
class BlockRun {
public:
    BlockRun(const LogOptions& options, const BlockSettings& settings, LogPipe& pipe);
    LogReport run();

private:
    std::optional<LogBlock> next_block();
    bool correct_rows(const LogLayout& layout);
    bool settle(Job& job);
    bool follow(const LogBlock& block);
    bool write() { return pipe_.write(current_->output(), current_->rejects()); }
    void recycle(Job& job, LogCorrector& done);
    LogReport report() const;

    const LogOptions& options_;
    std::size_t threads_;
    std::size_t block_;
    LogPipe& pipe_;
    BlockCutter cutter_;
    std::vector<char> buffer_;
    LogCorrector leader_;
    std::unique_ptr<LogCorrector> owned_;
    LogCorrector* current_ = &leader_;
    std::size_t ahead_ = 0;  // the bytes of the next block current_ already has
    LogReport retired_;      // the counts of the correctors before current_
    std::vector<std::string> spare_outputs_;
};

BlockRun::BlockRun(const LogOptions& options, const BlockSettings& settings, LogPipe& pipe)
    : options_(options),
      threads_(std::clamp<std::size_t>(settings.threads, 1, most_log_threads)),
      block_(std::max<std::size_t>(1, std::min(settings.block, held_bytes / (2 * threads_)))),
      pipe_(pipe),
      cutter_(std::min(block_, header_block)),
      buffer_(log_read_size),
      leader_(options) {}

LogReport BlockRun::run() {
    // The header, with the rows of the blocks up to its end, on this thread.
    while (!leader_.layout()) {
        if (leader_.failed())
            return report();
        const std::optional<LogBlock> block = next_block();
        if (!block)
            break;
        if (!follow(*block))
            return report();
    }
    const std::optional<LogLayout> layout = leader_.layout();
    if (layout && !correct_rows(*layout))
        return report();
    if (!pipe_.read_failed()) {
        current_->finish();
        write();
    }
    return report();
}

std::optional<LogBlock> BlockRun::next_block() {
    for (;;) {
        if (std::optional<LogBlock> block = cutter_.next())
            return block;
        if (cutter_.done())
            return std::nullopt;
        const std::size_t n = pipe_.read(buffer_.data(), buffer_.size());
        if (n == 0)
            cutter_.close();
        else
            cutter_.push(std::string_view(buffer_.data(), n));
    }
}

// The rows after the header's block, in blocks on the workers, at most two
// for each thread held at once; false when a write failed.
bool BlockRun::correct_rows(const LogLayout& layout) {
    cutter_.set_size(block_);
    std::deque<std::unique_ptr<Job>> jobs;  // outlives the workers, which point into it
    Workers workers(threads_, options_, layout);
    bool more = true;
    for (;;) {
        while (more && jobs.size() < 2 * threads_) {
            std::optional<LogBlock> block = next_block();
            more = block.has_value();
            if (!more)
                break;
            jobs.push_back(std::make_unique<Job>());
            jobs.back()->block = std::move(*block);
            if (!spare_outputs_.empty()) {
                jobs.back()->out = std::move(spare_outputs_.back());
                spare_outputs_.pop_back();
            }
            workers.add(*jobs.back());
        }
        if (jobs.empty())
            return true;
        workers.wait(*jobs.front());
        if (!settle(*jobs.front()))
            return false;
        jobs.pop_front();
    }
}

// Takes a block's correction when the block before ended where a record did;
// otherwise the current corrector reads on into the block. False when a write failed.
bool BlockRun::settle(Job& job) {
    if (job.error)
        std::rethrow_exception(job.error);
    if (!current_->between_records(ahead_)) {
        const bool written = follow(job.block);
        recycle(job, *job.corrector);
        return written;
    }
    retired_ += current_->report();
    LogCorrector& retired = *current_;
    std::unique_ptr<LogCorrector> before = std::move(owned_);
    owned_ = std::move(job.corrector);
    current_ = owned_.get();
    recycle(job, retired);
    ahead_ = job.block.ahead.size();
    return write();
}

// Keeps the memory of a settled block and of a corrector done with for the blocks to come.
void BlockRun::recycle(Job& job, LogCorrector& done) {
    done.output().clear();
    spare_outputs_.push_back(std::move(done.output()));
    cutter_.recycle(std::move(job.block.bytes));
}

// The current corrector reads on into the block; false when a write failed.
bool BlockRun::follow(const LogBlock& block) {
    current_->push(std::string_view(block.bytes).substr(ahead_));
    current_->push(block.ahead);
    ahead_ = block.ahead.size();
    return write();
}

// The counts of every corrector; the header's findings are the leader's.
LogReport BlockRun::report() const {
    LogReport report = leader_.report();
    if (current_ != &leader_) {
        report = retired_;
        report += current_->report();
        report.failure = leader_.report().failure;
        report.message = leader_.report().message;
    }
    return report;
}

// A log held in memory, read in pieces as a file is.
class TextPipe : public LogPipe {
public:
    TextPipe(std::string_view log, std::string& out, std::string* rejects) : log_(log), out_(out), rejects_(rejects) {}
    std::size_t read(char* buffer, std::size_t size) override {
        const std::size_t n = std::min(size, log_.size());
        std::copy_n(log_.data(), n, buffer);
        log_.remove_prefix(n);
        return n;
    }
    bool read_failed() const override { return false; }
    bool write(std::string& out, std::string& rejects) override {
        out_ += out;
        if (rejects_)
            *rejects_ += rejects;
        out.clear();
        rejects.clear();
        return true;
    }

private:
    std::string_view log_;
    std::string& out_;
    std::string* rejects_;
};

}  // namespace

std::size_t machine_threads() {
    return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, most_log_threads);
}

LogReport correct_log_in_blocks(const LogOptions& options, const BlockSettings& settings, LogPipe& pipe) {
    return BlockRun(options, settings, pipe).run();
}

LogReport correct_log_text_in_blocks(std::string_view log,
                                     const LogOptions& options,
                                     const BlockSettings& settings,
                                     std::string& out,
                                     std::string* rejects) {
    TextPipe pipe(log, out, rejects);
    return correct_log_in_blocks(options, settings, pipe);
}

}  // namespace kestrane
