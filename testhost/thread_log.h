// An append-only log that many threads write at once without a lock they
// share: each thread appends to its own buffer, and every entry takes a number
// from one counter (a relaxed increment, which orders nothing else) so that the
// buffers merge back into one sequence in call order. The host records what
// the plug-in does through such logs, so the host itself puts no ordering
// between the plug-in's threads and ThreadSanitizer sees the plug-in's own.
//
// Reading the merged log and clearing it are for one thread while no other
// appends (a test between its steps, or after joining its threads).
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <utility>
#include <vector>

namespace TestHost {

// Tag makes each log a distinct type, with its own per-thread buffer.
template <class T, class Tag>
class ThreadLog {
public:
    static ThreadLog& Instance() {
        static ThreadLog log;
        return log;
    }

    void Append(T value) {
        const std::uint64_t number = next_.fetch_add(1, std::memory_order_relaxed);
        MyBuffer().entries.emplace_back(number, std::move(value));
    }

    // Every entry in call order (valid until the next Merged or Clear).
    const std::vector<T>& Merged() {
        const std::uint64_t count = next_.load(std::memory_order_relaxed);
        if (count == mergedUpTo_) return merged_;
        std::vector<std::pair<std::uint64_t, const T*>> all;
        for (Buffer* buffer = buffers_.load(std::memory_order_acquire); buffer; buffer = buffer->next)
            for (const auto& [number, value] : buffer->entries) all.emplace_back(number, &value);
        std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        merged_.clear();
        for (const auto& entry : all) merged_.push_back(*entry.second);
        mergedUpTo_ = count;
        return merged_;
    }

    void Clear() {
        for (Buffer* buffer = buffers_.load(std::memory_order_acquire); buffer; buffer = buffer->next)
            buffer->entries.clear();
        merged_.clear();
        // The counter keeps counting: the empty merge is current.
        mergedUpTo_ = next_.load(std::memory_order_relaxed);
    }

private:
    struct Buffer {
        std::vector<std::pair<std::uint64_t, T>> entries;
        Buffer* next = nullptr;
    };

    // A thread's buffer outlives the thread (its entries stay in the log); it
    // joins the list with a release-only exchange, which gives no thread an
    // ordering with another.
    Buffer& MyBuffer() {
        thread_local Buffer* mine = nullptr;
        if (!mine) {
            mine = new Buffer;
            Buffer* head = buffers_.load(std::memory_order_relaxed);
            do mine->next = head;
            while (!buffers_.compare_exchange_weak(head, mine, std::memory_order_release, std::memory_order_relaxed));
        }
        return *mine;
    }

    std::atomic<std::uint64_t> next_{0};
    std::atomic<Buffer*> buffers_{nullptr};
    std::vector<T> merged_;
    std::uint64_t mergedUpTo_ = 0;
};

}  // namespace TestHost
