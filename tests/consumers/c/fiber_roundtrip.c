/* Builds a fiber through the exported C functions, serializes it and reads it back. */
#include <stdio.h>

#include <kestrix/FiberEx.h>
#include <kestrix/TraceBufferEx.h>

int main(void) {
    traceBufferExCreateChan("app", true, false, true);
    traceBufferExLockChannelTable();
    KxFiber* fiber = fiberExFiber(getDefaultFiberCableSM(), 6, 9.0, 1, NULL);
    fiberExAddFiberPerWl(fiber, 1310, 1.4677, 0, -79.4);
    uint8_t bytes[256];
    uint32_t size = fiberExSerialize(fiber, NULL, 0);
    KxFiber* back =
        size <= sizeof bytes && fiberExSerialize(fiber, bytes, size) == 0 ? fiberExDeserialize(bytes, size) : NULL;
    printf("%u bytes, read back: %s\n", (unsigned)size, back ? "yes" : "no");
    fiberExDeFiber(back);
    fiberExDeFiber(fiber);
    traceBufferExFlush();
    return back ? 0 : 1;
}
