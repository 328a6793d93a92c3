#include "events/EventList.h"

bool EventList::Add(const EventRecord &record)
{
    for (EventRecord &slot : m_slots) {
        if (slot.EventKey.isEmpty()) {
            slot = record;
            return true;
        }
    }
    if (m_slots.size() >= static_cast<size_t>(SlotCount))
        return false;
    m_slots.push_back(record);
    return true;
}
