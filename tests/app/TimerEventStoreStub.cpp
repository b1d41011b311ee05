// Stands in for the timer event store while it is built elsewhere: the sequence calls these in
// their place, and they touch nothing.

#include <app/TimerEventStore.h>

void LoadTimerEvents(HKEY) { }
LONG SaveTimerEvents(HKEY) { return ERROR_SUCCESS; }
