#pragma once
// Keeps stored values from being readable at a glance (not a cipher): each byte
// goes through a fixed substitution table after being mixed with a
// pseudo-random sequence seeded from the first stored byte.

#include <QByteArray>

namespace larkspur {

QByteArray scramble(const QByteArray& plain);
// Gives back what scramble was given; an empty input gives an empty result.
QByteArray unscramble(const QByteArray& scrambled);

} // namespace larkspur
