// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The two ratings a player can enter.
enum class Rating { men, women };

// "m" or "w", as the game writes the sex and as the rating's link names it.
QString rating_letter(Rating rating);

// The longest name and location, in characters, after trimming.
constexpr int text_length_limit = 64;

// The highest power a phone can produce, and so the highest value accepted.
//
// Each accelerometer reading adds the whole part of |‖a‖ − 9.8| to the power,
// damped a little between 4 and 20 and not at all above. Phone accelerometers
// report at most ±16 g on each axis (most run at ±2 g to ±8 g), so the largest
// magnitude is √3 · 16 · 9.80665 = 271.77 m/s² and one reading adds at most
// 261. The power sums 51 slots of 0.2 s: the 50 closed tick periods and the one
// still open when the player taps, at most 10.2 s of readings. The fastest
// phone accelerometers deliver 500 readings a second, 5100 in that window.
// 261 · 5100 = 1,331,100.
constexpr int value_limit = 261 * 5100;

// A submission that passed every rule: who the player is and what counts.
struct Submission
{
    Rating rating = Rating::men;
    QString name;         // as shown: trimmed, inner white space as single spaces
    QString location;     // as shown; empty when the player gave none
    QString name_key;     // name as compared: case-folded
    QString location_key; // location as compared: case-folded
    int value = 0;        // the record or the score, whichever the player chose
};

// Why a submission was turned down.
enum class Rejection {
    unreadable,        // not "xml=" followed by a save document
    incomplete,        // an element the rating needs is missing
    unknown_rating,    // sex is neither "m" nor "w"
    no_choice,         // tosend is neither 1 (record) nor 2 (score)
    empty_name,        // nothing left of the name after trimming
    name_too_long,     // more than text_length_limit characters
    location_too_long, // more than text_length_limit characters
    no_score_kept,     // no record key yet: the player never kept a score
    key_mismatch,      // the record key does not belong to the record and score
    no_value,          // the chosen value is 0 or less
    value_too_high,    // more than any phone can produce
};

struct ParsedSubmission
{
    std::optional<Submission> submission; // set when every rule passed
    Rejection rejection = Rejection::unreadable;
};

// Reads a request body, "xml=" followed by the raw save document (no
// percent-decoding: a "+" is a plus), with the game's own loader, and checks
// it against the rating's rules. A document cut short is read as far as it
// goes.
ParsedSubmission parse_submission(const QByteArray &body);

// The name or location as stored and shown: characters that XML does not
// allow removed, trimmed, inner runs of white space made one space.
QString display_text(const QString &text);

// The form in which two names or locations are compared: display_text,
// composed to Unicode form C and case-folded.
QString identity_key(const QString &text);
