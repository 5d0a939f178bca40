// Reading a replay script's JSON: every argument is checked, and anything a script may not ask
// for is refused with a message naming what is wrong (the runner adds the step).
#pragma once

#include <cstddef>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "interaction/input_events.hpp"

namespace brontile::replay {

using OrderedJson = nlohmann::ordered_json;

class BadScript : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Bounds that keep a script's run finite: click counts and drag steps, and the fake clock's
// whole run (its dates stay far inside what a document can store).
inline constexpr double kMaxCount = 1e6;
inline constexpr double kMaxClock = 1e9;
// Progress checks before a replay's armed cancel: far more than any operation makes.
inline constexpr double kMaxCheck = 1e12;

// A finite number.
[[nodiscard]] double numberAt(const OrderedJson& json, std::string_view what);
[[nodiscard]] std::string textAt(const OrderedJson& json, std::string_view what);
[[nodiscard]] bool boolAt(const OrderedJson& json, std::string_view what);
// Exactly `count` finite numbers.
[[nodiscard]] std::vector<double> numbersAt(const OrderedJson& json, std::size_t count,
                                            std::string_view what);
// A whole number from 1 to `max`.
[[nodiscard]] double wholeNumberAt(const OrderedJson& json, std::string_view what, double max);
// A position in a list of `size` items.
[[nodiscard]] std::size_t indexAt(const OrderedJson& json, std::string_view what, std::size_t size);
// The object's member `key`, which must be there.
[[nodiscard]] const OrderedJson& member(const OrderedJson& object, std::string_view key,
                                        std::string_view what);
// The object's member `key`; nothing when it is not there.
[[nodiscard]] const OrderedJson* find(const OrderedJson& object, std::string_view key);
// Only the listed keys may appear in the object.
void onlyKeys(const OrderedJson& object, std::initializer_list<std::string_view> keys,
              std::string_view what);
void onlyKeys(const OrderedJson& object, const std::vector<std::string_view>& keys,
              std::string_view what);
// A list of "shift", "option", "command", "control"; none when absent.
[[nodiscard]] ModifierSet modifiersAt(const OrderedJson* json);
// A click count; 1 when absent.
[[nodiscard]] int clicksAt(const OrderedJson* json);

}  // namespace brontile::replay
