#include "events/EventList.h"

bool EventList::add(const EventRecord &record)
{
    EventRecord *slot = freeSlot();
    if (slot)
        *slot = record;
    return slot != nullptr;
}

EventRecord *EventList::freeSlot()
{
    for (; m_firstFree < m_slots.size(); ++m_firstFree) {
        if (m_slots[m_firstFree].EventKey.isEmpty()) {
            m_slots[m_firstFree] = EventRecord();
            return &m_slots[m_firstFree];
        }
    }
    if (m_slots.size() >= static_cast<size_t>(SlotCount))
        return nullptr;
    return &m_slots.emplace_back();
}
