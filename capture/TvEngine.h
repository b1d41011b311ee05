#pragma once

// The one capture engine of the process. The main window's client makes it when TV goes on and
// deletes it when TV goes off, so it is null exactly while TV is off; other windows test it to
// learn whether TV is on and call it on the user-interface thread.

class STv;

extern STv* Tv;
