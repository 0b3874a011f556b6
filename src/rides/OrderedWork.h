#pragma once
// Work done on other threads, delivered in order. Files are read on the
// calling thread in the order they lie (an archive can only be read so) and
// worked out on a few threads, one more than there are cores; the results
// come back in the order the work was submitted. Reading runs ahead by a few
// files a thread, bounded by the bytes in flight, so that one slow file (or a
// thread a busy system set aside for a while) does not leave the others idle.

#include <QtGlobal>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

template <typename Result>
class OrderedWork {
public:
    // Told to stop when the work is no longer wanted, it may return early.
    using Work = std::function<Result(const std::atomic<bool>* stop)>;

    // deliver gets each result in order, on the calling thread; goOn is
    // asked while waiting, and false stops delivering. At most bytesInFlight
    // bytes of submitted work wait at once (one piece of work always may).
    OrderedWork(std::function<void(Result&)> deliver, std::function<bool()> goOn, qint64 bytesInFlight)
        : m_deliver(std::move(deliver)),
          m_goOn(std::move(goOn)),
          m_bytesInFlight(bytesInFlight),
          m_window(4 * Threads()) {
        for (size_t i = 0; i < Threads(); ++i) {
            m_threads.emplace_back([this] { Run(); });
        }
    }
    // Work not begun is dropped, work begun told to stop and waited for.
    ~OrderedWork() {
        m_stop = true;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_closing = true;
            m_jobs.clear();
        }
        m_wake.notify_all();
        for (std::thread& thread : m_threads) {
            thread.join();
        }
    }
    OrderedWork(const OrderedWork&) = delete;
    OrderedWork& operator=(const OrderedWork&) = delete;

    void Submit(qint64 bytes, Work work) {
        while (!m_pending.empty() && !m_stopped &&
               (m_pending.size() >= m_window || m_bytes + bytes > m_bytesInFlight)) {
            DeliverFront();
        }
        if (m_stopped) {
            return;
        }
        std::packaged_task<Result()> job([this, work = std::move(work)] { return work(&m_stop); });
        m_pending.push_back({job.get_future(), bytes});
        m_bytes += bytes;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_jobs.push_back(std::move(job));
        }
        m_wake.notify_one();
    }
    // Delivers what is still waiting; false when stopped.
    bool Finish() {
        while (!m_pending.empty() && !m_stopped) {
            DeliverFront();
        }
        m_stop = true;
        return !m_stopped;
    }
    bool Stopped() const { return m_stopped; }

private:
    static size_t Threads() { return std::max<size_t>(2, std::thread::hardware_concurrency() + 1); }

    void Run() {
        for (;;) {
            std::packaged_task<Result()> job;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_wake.wait(lock, [this] { return m_closing || !m_jobs.empty(); });
                if (m_closing) {
                    return;
                }
                job = std::move(m_jobs.front());
                m_jobs.pop_front();
            }
            job();
        }
    }

    void DeliverFront() {
        Pending& front = m_pending.front();
        while (front.result.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
            if (m_goOn && !m_goOn()) {
                m_stopped = true;
                m_stop = true;
                return;
            }
        }
        Result result = front.result.get();
        m_bytes -= front.bytes;
        m_pending.pop_front();
        m_deliver(result);
    }

    struct Pending {
        std::future<Result> result;
        qint64 bytes = 0;
    };
    std::function<void(Result&)> m_deliver;
    std::function<bool()> m_goOn;
    const qint64 m_bytesInFlight;
    const size_t m_window;
    std::atomic<bool> m_stop{false};
    bool m_stopped = false;
    std::deque<Pending> m_pending;
    qint64 m_bytes = 0;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::packaged_task<Result()>> m_jobs;
    bool m_closing = false;
    std::vector<std::thread> m_threads;
};
