// MaxSDK::Array: the SDK's growable array of values (constructed and copied as C++ values).
// An index outside 0 .. length() - 1 is reported through TabIndexError, as for Tab.
#pragma once

#include <vector>

#include "../maxtypes.h"

CoreExport void TabIndexError(int index, int count);

namespace MaxSDK {

template <class T>
class Array {
    std::vector<T> items;

public:
    Array() { }
    explicit Array(size_t initUsedLength, const T& defaultVal = T())
        : items(initUsedLength, defaultVal)
    { }

    size_t length() const { return items.size(); }
    bool isEmpty() const { return items.empty(); }
    // Sets the number of elements; new ones are copies of defaultVal.
    Array& setLengthUsed(size_t newLengthUsed, const T& defaultVal = T())
    {
        items.resize(newLengthUsed, defaultVal);
        return *this;
    }
    Array& append(const T& e)
    {
        items.push_back(e);
        return *this;
    }
    Array& removeAll()
    {
        items.clear();
        return *this;
    }
    T& operator[](size_t i)
    {
        if (i >= items.size()) TabIndexError((int)i, (int)items.size());
        return items[i];
    }
    const T& operator[](size_t i) const
    {
        if (i >= items.size()) TabIndexError((int)i, (int)items.size());
        return items[i];
    }
    const T* asArrayPtr() const { return items.empty() ? NULL : &items[0]; }
};

} // namespace MaxSDK
