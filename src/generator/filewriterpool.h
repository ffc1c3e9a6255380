#pragma once

#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace generator {

// A few threads that write the files of a run while the pages are being put together: creating
// thousands of files is what a build spends its time on, and the disk takes more than one at a time.
// Tasks are independent file writes; the order in which they finish changes no byte of any file.
class FileWriterPool {
public:
    // threads <= 0: one per core, at most four.
    explicit FileWriterPool(int threads = 0);
    // Waits for the queued tasks; a failure not yet collected by finish() is dropped.
    ~FileWriterPool();
    FileWriterPool(const FileWriterPool&) = delete;
    FileWriterPool& operator=(const FileWriterPool&) = delete;

    // Queues a task; waits while many are queued (the pages wait in memory). A task reports failure by
    // throwing; the first failure is thrown again (as AppError) by the next submit or finish.
    void submit(std::function<void()> task);
    // Waits until every queued task has run; throws AppError with the first failure.
    void finish();

private:
    void work();
    void throwFailure(std::unique_lock<std::mutex>& lock);

    std::mutex m_mutex;
    std::condition_variable m_wake;     // a task was queued, or the pool stops
    std::condition_variable m_progress; // a task was taken or finished
    std::deque<std::function<void()>> m_queue;
    int m_running = 0;
    bool m_stopping = false;
    QString m_failure;
    bool m_failed = false;
    std::vector<std::thread> m_threads;
};

} // namespace generator
