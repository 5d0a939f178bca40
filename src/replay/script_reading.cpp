#include "replay/script_reading.hpp"

#include <algorithm>
#include <cmath>

namespace brontile::replay {
namespace {

std::string quoted(std::string_view what) { return std::string(what); }

}  // namespace

double numberAt(const OrderedJson& json, std::string_view what) {
    if (!json.is_number()) throw BadScript(quoted(what) + " must be a number");
    const double value = json.get<double>();
    if (!std::isfinite(value)) throw BadScript(quoted(what) + " must be finite");
    return value;
}

std::string textAt(const OrderedJson& json, std::string_view what) {
    if (!json.is_string()) throw BadScript(quoted(what) + " must be a string");
    return json.get<std::string>();
}

bool boolAt(const OrderedJson& json, std::string_view what) {
    if (!json.is_boolean()) throw BadScript(quoted(what) + " must be true or false");
    return json.get<bool>();
}

std::vector<double> numbersAt(const OrderedJson& json, std::size_t count, std::string_view what) {
    if (!json.is_array() || json.size() != count) {
        throw BadScript(quoted(what) + " must be a list of " + std::to_string(count) + " numbers");
    }
    std::vector<double> values;
    for (const auto& item : json) values.push_back(numberAt(item, what));
    return values;
}

double wholeNumberAt(const OrderedJson& json, std::string_view what, double max) {
    const double value = numberAt(json, what);
    if (value < 1 || value > max || value != std::floor(value)) {
        throw BadScript(quoted(what) + " must be a whole number from 1 to " +
                        OrderedJson(max).dump());
    }
    return value;
}

std::size_t indexAt(const OrderedJson& json, std::string_view what, std::size_t size) {
    const double value = numberAt(json, what);
    if (value < 0 || value != std::floor(value) || value >= static_cast<double>(size)) {
        throw BadScript(quoted(what) + " index " + json.dump() + " is out of range");
    }
    return static_cast<std::size_t>(value);
}

const OrderedJson& member(const OrderedJson& object, std::string_view key, std::string_view what) {
    if (!object.is_object()) throw BadScript(quoted(what) + " must be an object");
    const auto it = object.find(key);
    if (it == object.end()) throw BadScript(quoted(what) + " needs \"" + quoted(key) + "\"");
    return *it;
}

const OrderedJson* find(const OrderedJson& object, std::string_view key) {
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

void onlyKeys(const OrderedJson& object, const std::vector<std::string_view>& keys,
              std::string_view what) {
    for (const auto& [key, value] : object.items()) {
        if (std::ranges::find(keys, key) == keys.end()) {
            throw BadScript(quoted(what) + " has an unknown key \"" + key + "\"");
        }
    }
}

void onlyKeys(const OrderedJson& object, std::initializer_list<std::string_view> keys,
              std::string_view what) {
    onlyKeys(object, std::vector<std::string_view>(keys), what);
}

ModifierSet modifiersAt(const OrderedJson* json) {
    static constexpr std::pair<std::string_view, ModifierSet> kNames[] = {
        {"shift", ModifierSet::shift},
        {"option", ModifierSet::option},
        {"command", ModifierSet::command},
        {"control", ModifierSet::control},
    };
    ModifierSet set;
    if (json == nullptr) return set;
    if (!json->is_array()) throw BadScript("modifiers must be a list");
    for (const auto& item : *json) {
        const std::string name = textAt(item, "a modifier");
        const auto* found =
            std::ranges::find_if(kNames, [&](const auto& row) { return row.first == name; });
        if (found == std::end(kNames)) throw BadScript("unknown modifier \"" + name + "\"");
        set.insert(found->second);
    }
    return set;
}

int clicksAt(const OrderedJson* json) {
    if (json == nullptr) return 1;
    return static_cast<int>(wholeNumberAt(*json, "clicks", kMaxCount));
}

}  // namespace brontile::replay
