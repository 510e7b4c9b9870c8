#pragma once

#include "platform/framework/MessageMap.h"

// Base of every class that handles messages through a message map.
class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

    // Runs the handler of the first row matching the message, searching this class's map and then
    // its bases'. False when no row matches.
    bool OnCmdMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

protected:
    static const MessageMap* GetThisMessageMap();
    virtual const MessageMap* GetMessageMap() const;
};
