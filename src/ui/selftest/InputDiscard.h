#pragma once

// Throws away the keyboard and mouse input that reached the program while it was not taking
// any (the self-test's hold): without this, a click on Test during the hold would be replayed
// after it and run a whole second test.
void discardPendingInput();
