// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "store/commitqueue.h"

#include "store/store.h"

#include <QDateTime>

#include <chrono>
#include <cstdio>
#include <future>

namespace {

// How often an idle writer asks the database whether it still answers.
constexpr std::chrono::seconds probe_interval{1};

} // namespace

CommitQueue::CommitQueue(Opener opener) : opener(std::move(opener))
{}

CommitQueue::~CommitQueue()
{
    stop();
}

bool CommitQueue::start(QString *error)
{
    // The store is opened on the writer thread: a database connection
    // belongs to the thread that made it.
    std::promise<QString> opened;
    std::future<QString> result = opened.get_future();
    writer = std::thread([this, opened = std::move(opened)]() mutable {
        QString why;
        std::unique_ptr<Store> store = opener(&why);
        const bool ok = store != nullptr;
        database_answers = ok;
        opened.set_value(ok ? QString() : why);
        if (ok)
            write_loop(std::move(store));
    });
    *error = result.get();
    if (!error->isEmpty()) {
        writer.join();
        return false;
    }
    return true;
}

void CommitQueue::submit(Submission submission, Done done)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        queue.push_back(Job{std::move(submission), std::move(done)});
    }
    wake.notify_one();
}

void CommitQueue::stop()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    wake.notify_one();
    if (writer.joinable())
        writer.join();
}

void CommitQueue::write_loop(std::unique_ptr<Store> store)
{
    std::vector<Job> batch;
    std::vector<Submission> submissions;
    std::vector<Standing> standings;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex);
            wake.wait_for(lock, probe_interval, [this] { return stopping || !queue.empty(); });
            if (queue.empty()) {
                if (stopping)
                    break;
                lock.unlock();
                database_answers = store->answers();
                continue;
            }
            const std::size_t count = std::min(queue.size(), batch_limit);
            batch.clear();
            for (std::size_t i = 0; i < count; ++i) {
                batch.push_back(std::move(queue.front()));
                queue.pop_front();
            }
        }

        submissions.clear();
        for (Job &job : batch)
            submissions.push_back(job.submission);
        const bool stored =
            store->submit(submissions, QDateTime::currentMSecsSinceEpoch(), standings);
        database_answers = stored || store->answers();
        if (!stored)
            std::fprintf(stderr, "database error: %s\n", qPrintable(store->last_error()));
        for (std::size_t i = 0; i < batch.size(); ++i)
            batch[i].done(stored && standings[i].player_id != 0
                              ? std::optional<Standing>(standings[i])
                              : std::nullopt);
        // The callbacks hold the connections' work: let them go now, not with the next batch.
        batch.clear();
    }
}
