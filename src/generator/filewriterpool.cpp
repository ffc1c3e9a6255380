#include "generator/filewriterpool.h"

#include "shell/error.h"

#include <algorithm>
#include <exception>

namespace generator {

namespace {

// Enough to keep every thread busy without holding many pages in memory.
constexpr size_t kQueueLimit = 256;

} // namespace

FileWriterPool::FileWriterPool(int threads)
{
    if (threads <= 0)
        threads = std::clamp(int(std::thread::hardware_concurrency()), 1, 4);
    m_threads.reserve(size_t(threads));
    for (int i = 0; i < threads; ++i)
        m_threads.emplace_back([this] { work(); });
}

FileWriterPool::~FileWriterPool()
{
    {
        std::unique_lock lock(m_mutex);
        m_progress.wait(lock, [this] { return m_queue.empty() && m_running == 0; });
        m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

void FileWriterPool::submit(std::function<void()> task)
{
    std::unique_lock lock(m_mutex);
    throwFailure(lock);
    m_progress.wait(lock, [this] { return m_queue.size() < kQueueLimit || m_failed; });
    throwFailure(lock);
    m_queue.push_back(std::move(task));
    lock.unlock();
    m_wake.notify_one();
}

void FileWriterPool::finish()
{
    std::unique_lock lock(m_mutex);
    m_progress.wait(lock, [this] { return m_queue.empty() && m_running == 0; });
    throwFailure(lock);
}

void FileWriterPool::throwFailure(std::unique_lock<std::mutex>& lock)
{
    if (!m_failed)
        return;
    const QString failure = m_failure;
    m_failed = false;
    m_failure.clear();
    // Nothing queued after a failure is written: the run stops as at a failed page.
    m_queue.clear();
    lock.unlock();
    m_progress.notify_all();
    throw shell::AppError(failure);
}

void FileWriterPool::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        if (m_queue.empty())
            return; // stopping
        std::function<void()> task = std::move(m_queue.front());
        m_queue.pop_front();
        ++m_running;
        lock.unlock();
        m_progress.notify_all();
        QString failure;
        bool failed = false;
        try {
            task();
        } catch (const std::exception& e) {
            failed = true;
            failure = shell::messageOf(e);
        }
        lock.lock();
        --m_running;
        if (failed && !m_failed) {
            m_failed = true;
            m_failure = failure;
        }
        m_progress.notify_all();
    }
}

} // namespace generator
