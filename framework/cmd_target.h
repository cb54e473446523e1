// The root of every class that has a message map: the application and windows.
#pragma once

#include <windows.h>

#include "framework/message_map.h"

// Holds a message map and finds and calls the handler of a message or command.
class CCmdTarget {
public:
    CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;
    virtual ~CCmdTarget() = default;

    // Calls the handler of command nID with notification code nCode; false when no map has one.
    virtual bool OnCmdMsg(UINT nID, UINT nCode);

protected:
    // The map of the object's own class; each class with DECLARE_MESSAGE_MAP overrides it.
    virtual const afx::MessageMap* GetMessageMap() const;
    // The root of every chain: a table with no rows and no base.
    static const afx::MessageMap* GetThisMessageMap();

    // The first row for message (and, for WM_COMMAND, nCode and nID), searching the
    // object's own map and then each base map in turn; null when there is none.
    const afx::MessageMapEntry* FindEntry(UINT message, UINT nCode, UINT nID) const;
};
