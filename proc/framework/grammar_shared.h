// Rows that ANALYZE and the plot statements share in the common numbering: the parameter
// options' trailing keywords and the class-level orders.
#pragma once
#include "proc/framework/grammar_build.h"
#include "proc/framework/optslots.h"

namespace gb::shared {

inline constexpr goption linit[] = {F("LINIT", flag::plot::LINIT)};
inline constexpr goption scinit[] = {F("SCINIT", flag::plot::SCINIT)};
inline constexpr goption shinit[] = {F("SHINIT", flag::plot::SHINIT)};
inline constexpr goption nlast[] = {N("NLASTCENSOR", slot::plot::NLASTCENSOR)};

// ORDER1= and ORDER2=: the same values into the slot of the first or second class variable
template <int Slot>
inline constexpr gvalkw order[] = {K("FREQ", Slot, code::order::FREQ), K("DATA", Slot, code::order::DATA),
                                   K("INTERNAL", Slot, code::order::INTERNAL),
                                   K("FORMATTED", Slot, code::order::FORMATTED)};

}  // namespace gb::shared
