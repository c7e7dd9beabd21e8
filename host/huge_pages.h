#pragma once
// Large scenes touch hundreds of megabytes of fresh memory, and on machines where
// each page fault is dear (virtual machines) faulting it in 4 KiB at a time costs
// more than reading the file. glibc's malloc backs its memory with transparent
// huge pages only when told so at start-up, through GLIBC_TUNABLES.

// For a command line naming a large input file, starts this program again with
// malloc's huge pages on (when the environment does not set them either way);
// returns only when it does not. Small inputs are left alone: a second start
// would cost more than their whole export.
void restartWithHugePagesForLargeInputs(char** argv);
