// USER32 is loaded only when the program asks for it, after it has
// restricted where DLLs are searched, and no call to it comes before.
#pragma once

// Loads USER32 from the system folder and binds the functions the program
// calls; false if any is missing.
bool BindUser32();
