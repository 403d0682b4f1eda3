// The root of the contract's classes and its error description.
//
// Contract rules every class keeps: a query takes a trailing TFgnFmtErr& and
// returns its value; an operation without a value returns TFgnFmtErr. Strings
// are zero-terminated UTF-8 owned by the object that returned them; lists are
// std::list<T const*> const* owned likewise, and a null list is empty. What a
// plug-in creates, the plug-in frees; nothing is thrown across the contract.
// The slot order of every class is the order of its declarations here.
#pragma once

#include "foreign/FgnTypes.h"

// Slot 0 the destructor, slot 1 GetLastError, for every class but CFgnErr.
class CFgnObject {
public:
    CFgnObject() = default;
    CFgnObject(const CFgnObject&) = default;
    CFgnObject& operator=(const CFgnObject&) = default;
    virtual ~CFgnObject() = default;

    // No plug-in describes its errors: err 4, null.
    virtual const CFgnErr* GetLastError(TFgnFmtErr& err) const;
};

// An object a plug-in completes after construction: it sets the flag to 1 as
// the last step of a successful construction, and its getters answer err 1
// while the flag is not 1. Copies copy the flag.
class CFgnCompletion {
public:
    bool IsComplete() const { return complete_ == 1; }

protected:
    void SetComplete() { complete_ = 1; }
    // True when complete; otherwise err 1.
    bool CheckComplete(TFgnFmtErr& err) const;

private:
    std::int32_t complete_ = 0;
};

// Nothing creates one; its queries answer err 4 and null or 0, but the source.
class CFgnErr {
public:
    CFgnErr() = default;
    CFgnErr(const CFgnErr&) = default;
    CFgnErr& operator=(const CFgnErr&) = default;
    virtual ~CFgnErr() = default;

    virtual char const* GetDescription(TFgnFmtErr& err) const;
    virtual std::int32_t GetErrorId(TFgnFmtErr& err) const;
    virtual char const* GetHelpFilePath(TFgnFmtErr& err) const;
    // "PLM", err 0.
    virtual char const* GetSource(TFgnFmtErr& err) const;
    virtual std::int32_t GetHelpTopicId(TFgnFmtErr& err) const;
};
