#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 QuiverBolt developers
# SPDX-License-Identifier: MIT
"""Writes the accelerometer traces that the replay backend plays.

Each trace is 100 readings a second of "x y z" in m/s², in the phone's axes:
x to its right edge, y to its top, z out of the screen, so a phone lying face
up reads +9.8 on z. The numbers come from a fixed seed: running this again
gives the same files byte for byte.

    platform/sensors/traces/make_traces.py [output folder]
"""

import math
import pathlib
import random
import sys

RATE = 100  # Hz
GRAVITY = 9.80665
FULL_SCALE = 8 * GRAVITY  # a phone accelerometer's ±8 g range
SEED = 20260101


def gravity_vector(pitch, roll):
    """Gravity as the phone sees it, tilted by pitch (about x) and roll (about y)."""
    return (
        -GRAVITY * math.sin(roll),
        GRAVITY * math.sin(pitch) * math.cos(roll),
        GRAVITY * math.cos(pitch) * math.cos(roll),
    )


def still(rng):
    """On a table: gravity on z, a slight tilt, sensor noise of a few hundredths."""
    pitch, roll = math.radians(0.6), math.radians(-0.4)
    bias = (0.03, -0.02, 0.04)
    gx, gy, gz = gravity_vector(pitch, roll)
    for _ in range(10 * RATE):
        yield (gx + bias[0] + rng.gauss(0, 0.02),
               gy + bias[1] + rng.gauss(0, 0.02),
               gz + bias[2] + rng.gauss(0, 0.03))


def freefall(rng):
    """Dropped: the sensor falls with its proof mass and reads next to nothing."""
    for _ in range(3 * RATE):
        yield (0.02 + rng.gauss(0, 0.04), -0.03 + rng.gauss(0, 0.04), 0.05 + rng.gauss(0, 0.05))


def gentle(rng):
    """Held in the hand and rocked slowly, with the hand's tremor."""
    phase_a, phase_b, phase_c = (rng.uniform(0, 2 * math.pi) for _ in range(3))
    for n in range(10 * RATE):
        t = n / RATE
        pitch = math.radians(25 + 12 * math.sin(2 * math.pi * 0.6 * t + phase_a))
        roll = math.radians(8 * math.sin(2 * math.pi * 0.45 * t + phase_b))
        gx, gy, gz = gravity_vector(pitch, roll)
        sway = 2.2 * math.sin(2 * math.pi * 1.3 * t + phase_c)
        yield (gx + 0.3 * sway + rng.gauss(0, 0.08),
               gy + sway + rng.gauss(0, 0.08),
               gz + 0.4 * sway + rng.gauss(0, 0.08))


def vigorous(rng):
    """Shaken hard along y: strokes of 4 to 6 Hz whose peaks reach 20 to 40 m/s²,
    after half a second held still and with a short run-up and wind-down."""
    duration = 10.0
    phase = 0.0
    frequency, amplitude = 5.0, 30.0
    target_frequency, target_amplitude = 5.0, 30.0
    for n in range(int(duration * RATE)):
        t = n / RATE
        previous_phase = phase
        phase += 2 * math.pi * frequency / RATE
        if int(phase / math.pi) != int(previous_phase / math.pi):
            # Every half stroke the arm picks its next pace and force.
            target_frequency = rng.uniform(4.0, 6.0)
            target_amplitude = rng.uniform(20.0, 40.0)
        frequency += 0.2 * (target_frequency - frequency)
        amplitude += 0.2 * (target_amplitude - amplitude)
        envelope = min(1.0, max(0.0, (t - 0.5) / 0.5), max(0.0, (duration - 0.3 - t) / 0.7))
        # The arm stops harder at the ends of a stroke than a sine does.
        stroke = envelope * amplitude * (math.sin(phase) + 0.22 * math.sin(2 * phase + 0.6)) / 1.1
        pitch = math.radians(30 + 10 * envelope * math.sin(phase + 1.2))
        roll = math.radians(5 * envelope * math.sin(0.5 * phase))
        gx, gy, gz = gravity_vector(pitch, roll)
        values = (gx + 0.15 * stroke + rng.gauss(0, 0.1),
                  gy + stroke + rng.gauss(0, 0.1),
                  gz + 0.1 * stroke + rng.gauss(0, 0.1))
        yield tuple(max(-FULL_SCALE, min(FULL_SCALE, v)) for v in values)


TRACES = {
    "still": (still, "lying still on a table"),
    "freefall": (freefall, "falling freely"),
    "gentle": (gentle, "held in the hand and rocked gently"),
    "vigorous": (vigorous, "shaken hard along y at 4-6 Hz, peaks of 20-40 m/s2"),
}


def main():
    folder = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else pathlib.Path(__file__).parent
    for offset, (name, (make, what)) in enumerate(TRACES.items()):
        rng = random.Random(SEED + offset)
        lines = [
            f"# Accelerometer trace: a phone {what}.",
            "# x y z in m/s2, made by make_traces.py.",
            f"# rate {RATE}",
            "# loop",
        ]
        lines += [f"{x:.3f} {y:.3f} {z:.3f}" for x, y, z in make(rng)]
        (folder / f"{name}.trace").write_text("\n".join(lines) + "\n", encoding="ascii")


if __name__ == "__main__":
    main()
