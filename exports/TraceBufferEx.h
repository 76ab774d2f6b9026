/* The process-wide trace buffer, for C callers. Channels are created first, then the table is locked.
 * No function here ends the process: misuse gets the result documented below. */
#ifndef KESTRIX_TRACEBUFFEREX_H
#define KESTRIX_TRACEBUFFEREX_H

#include <stdbool.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Channel with error plus the chosen levels; returns its id, or -1 when the name is null, the table is
 * already locked or it holds 65535 channels. */
int32_t traceBufferExCreateChan(const char* name, bool info, bool debug, bool warn);
/* Ends channel creation; the library's own channels are added after the caller's, and the library traces
   nothing before this. */
void traceBufferExLockChannelTable(void);
bool traceBufferExGetChannelTableLock(void);
/* Echoes every traced message to standard output from now on. */
void traceBufferExSetConsoleTracing(void);
/* Facility of the log lines written by a flush (0..29; other values are ignored). */
void traceBufferExSetLoggerFacility(int32_t facility);
/* Keeps at most n entries, dropping the oldest. A negative n is ignored. */
void traceBufferExSetMaxLength(int32_t n);
/* Writes every entry to the system log and empties the buffer. Does nothing before the table is locked. */
void traceBufferExFlush(void);

#ifdef __cplusplus
}
#endif

#endif
