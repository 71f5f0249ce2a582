// Temporary files of a conversion in progress, removed when the process is
// stopped by SIGINT, SIGTERM or SIGHUP, or ends by a fault (SIGSEGV, SIGBUS,
// SIGFPE, SIGILL, SIGABRT). The handler only unlinks the names registered at
// that moment and then ends the process by the same signal (a fault through
// the handler installed before, such as a sanitizer's), so the shell still
// sees an interrupted or crashed program. SIGKILL cannot be caught: after
// it, OUT.partial-* files may remain (OUT itself is never half-written).
#pragma once

// Installs the handlers; later calls do nothing. SIGXFSZ is ignored from
// then on, so a file-size limit makes a write fail (EFBIG) and the normal
// clean-up runs, instead of killing the process with a file left behind.
void RemoveTemporariesOnSignal();

// A slot for the name, or -1 when every slot is taken (the owner still
// removes the file on its own way out).
int RegisterTemporary(const char* path);
void ForgetTemporary(int slot);
