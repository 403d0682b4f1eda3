// A map from a text key (compared exactly) to a heap object that the map owns.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

template <class T>
class COwnedObjectMap {
public:
    COwnedObjectMap() = default;
    COwnedObjectMap(const COwnedObjectMap&) = delete;
    COwnedObjectMap& operator=(const COwnedObjectMap&) = delete;
    virtual ~COwnedObjectMap() = default;

    // Keeps the object under the key; an object held there before is deleted.
    void Add(std::string_view key, std::unique_ptr<T> object) {
        objects_[std::string(key)] = std::move(object);
    }
    T* Find(std::string_view key) const {
        const auto it = objects_.find(key);
        return it == objects_.end() ? nullptr : it->second.get();
    }
    void DeleteAll() { objects_.clear(); }
    std::size_t GetCount() const { return objects_.size(); }

private:
    std::map<std::string, std::unique_ptr<T>, std::less<>> objects_;
};
