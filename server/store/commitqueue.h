// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include "rating/reply.h"
#include "rating/submission.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class Store;

// Group commit: one writer thread owns the store; it takes every submission
// that queued while it was committing the last batch and commits them all in
// one transaction with one sync to disk, then hands each its standing.
class CommitQueue
{
public:
    using Opener = std::function<std::unique_ptr<Store>(QString *error)>;
    // Called on the writer thread: the standing, or nothing when the batch
    // could not be committed (then nothing of it was stored).
    using Done = std::function<void(std::optional<Standing>)>;

    // At most this many submissions share one transaction.
    static constexpr std::size_t batch_limit = 1024;

    explicit CommitQueue(Opener opener);
    ~CommitQueue();
    CommitQueue(const CommitQueue &) = delete;
    CommitQueue &operator=(const CommitQueue &) = delete;

    // Starts the writer, which opens the store; false and why when it could not.
    bool start(QString *error);
    // Queues a submission; done runs once it is committed or has failed.
    void submit(Submission submission, Done done);
    // Whether the database answered its last query.
    bool healthy() const { return database_answers.load(); }
    // Commits what is queued, then ends the writer.
    void stop();

private:
    struct Job
    {
        Submission submission;
        Done done;
    };

    void write_loop(std::unique_ptr<Store> store);

    Opener opener;
    std::thread writer;
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Job> queue;
    bool stopping = false;
    std::atomic<bool> database_answers{false};
};
