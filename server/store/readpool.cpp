// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "store/readpool.h"

#include "store/store.h"

#include <future>

ReadPool::ReadPool(Opener opener, int threads) : opener(std::move(opener)), thread_count(threads)
{}

ReadPool::~ReadPool()
{
    stop();
}

bool ReadPool::start(QString *error)
{
    for (int i = 0; i < thread_count; ++i) {
        // A database connection belongs to the thread that made it.
        std::promise<QString> opened;
        std::future<QString> result = opened.get_future();
        readers.emplace_back([this, opened = std::move(opened)]() mutable {
            QString why;
            std::unique_ptr<Store> store = opener(&why);
            opened.set_value(store ? QString() : why);
            if (store)
                read_loop(store.get());
        });
        *error = result.get();
        if (!error->isEmpty()) {
            stop();
            return false;
        }
    }
    return true;
}

void ReadPool::run(Job job)
{
    {
        std::unique_lock<std::mutex> lock(mutex);
        if (!stopping && queue.size() < queue_limit && !readers.empty()) {
            queue.push_back(std::move(job));
            lock.unlock();
            wake.notify_one();
            return;
        }
    }
    job(nullptr);
}

void ReadPool::stop()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    wake.notify_all();
    for (std::thread &reader : readers) {
        if (reader.joinable())
            reader.join();
    }
}

void ReadPool::read_loop(Store *store)
{
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(mutex);
            wake.wait(lock, [this] { return stopping || !queue.empty(); });
            if (queue.empty())
                return;
            job = std::move(queue.front());
            queue.pop_front();
        }
        job(store);
    }
}
