// Root of the class layer: a virtual destructor and no copying.
#pragma once

#include <windows.h>

class CObject {
public:
    virtual ~CObject() {}

protected:
    CObject() {}

private:
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
};
