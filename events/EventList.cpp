#include "events/EventList.h"

bool EventList::Add(const EventRecord &record)
{
    EventRecord *slot = FreeSlot();
    if (slot)
        *slot = record;
    return slot != nullptr;
}

EventRecord *EventList::FreeSlot()
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
