-- SPDX-FileCopyrightText: 2026 QuiverBolt developers
-- SPDX-License-Identifier: MIT
-- wrk script: posts the bodies of a file (one a line, from rating_bodies) to
-- the rating server as the game does, each thread from its own starting
-- point, and counts the answers that were not 200.
--   wrk -s submissions.lua URL -- bodies.txt

local bodies = {}
local next_body = 1
local threads = {}
local counter = 0

function setup(thread)
    counter = counter + 1
    thread:set("number", counter)
    table.insert(threads, thread)
end

function init(args)
    for line in io.lines(args[1] or "bodies.txt") do
        bodies[#bodies + 1] = line
    end
    -- Threads start far apart, so that they send different players.
    next_body = 1 + ((number - 1) * 7919) % #bodies
    failed = 0
end

function request()
    local body = bodies[next_body]
    next_body = next_body % #bodies + 1
    return wrk.format("POST", "/", {["Content-Type"] = "application/x-www-form-urlencoded"}, body)
end

function response(status, headers, body)
    if status ~= 200 then
        failed = failed + 1
    end
end

function done(summary, latency, requests)
    local failures = 0
    for _, thread in ipairs(threads) do
        failures = failures + thread:get("failed")
    end
    io.write(string.format("answers other than 200: %d\n", failures))
end
