// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class Store;

// Threads that answer reads (the rating pages, the API, the metrics) on
// connections of their own, so that neither the network threads nor the
// writer's group commit ever wait for a page. SQLite's write-ahead log lets
// them read while the writer commits.
class ReadPool
{
public:
    using Opener = std::function<std::unique_ptr<Store>(QString *error)>;
    // Runs on a reader thread with that thread's store, or with nullptr when
    // the pool is too busy or stopping: the job must answer either way.
    using Job = std::function<void(Store *store)>;

    // Jobs beyond this many waiting are turned away at once.
    static constexpr std::size_t queue_limit = 1024;

    ReadPool(Opener opener, int threads);
    ~ReadPool();
    ReadPool(const ReadPool &) = delete;
    ReadPool &operator=(const ReadPool &) = delete;

    // Opens a store on every thread; false and why when one could not.
    bool start(QString *error);
    void run(Job job);
    // Runs what is queued, then ends the threads.
    void stop();

private:
    void read_loop(Store *store);

    Opener opener;
    int thread_count;
    std::vector<std::thread> readers;
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Job> queue;
    bool stopping = false;
};
