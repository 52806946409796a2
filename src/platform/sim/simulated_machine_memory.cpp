// The buffers the enumeration allocates, handed out as real memory and
// accounted for until they are freed.
#include "platform/sim/simulated_machine.h"

namespace {

// Any fixed nonzero value serves: only the machine itself reads it back.
HANDLE const kProcessHeap = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(0x00A10000));

}  // namespace

HANDLE SimulatedMachine::GetProcessHeap() {
    CallScope call = Begin("GetProcessHeap", {});
    if (auto error = call.InjectedError()) return call.Fails(nullptr, *error);
    return call.Returns(kProcessHeap);
}

// HeapAlloc does not set the last error on failure without
// HEAP_GENERATE_EXCEPTIONS; the machine sets it anyway, which no caller can
// tell apart, and it makes the journal say why.
LPVOID SimulatedMachine::HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
    CallScope call =
        Begin("HeapAlloc", {HandleArgument(heap), HexArgument(flags), NumberArgument(bytes)});
    if (auto error = call.InjectedError()) return call.Fails(nullptr, *error);
    if (heap != kProcessHeap) {
        NoteMisuse("HeapAlloc on heap " + HandleText(heap) + ", not the process heap");
        return call.Fails(nullptr, ERROR_INVALID_HANDLE);
    }
    return call.Returns(m_heapBuffers.Allocate(bytes, (flags & HEAP_ZERO_MEMORY) != 0));
}

BOOL SimulatedMachine::HeapFree(HANDLE heap, DWORD flags, LPVOID memory) {
    CallScope call =
        Begin("HeapFree", {HandleArgument(heap), HexArgument(flags), HandleArgument(memory)});
    if (auto error = call.InjectedError()) return call.Fail(*error);
    if (heap != kProcessHeap) {
        NoteMisuse("HeapFree on heap " + HandleText(heap) + ", not the process heap");
        return call.Fail(ERROR_INVALID_HANDLE);
    }
    if (memory == nullptr || m_heapBuffers.Free(memory)) return call.Succeed();
    NoteMisuse(
        "HeapFree(" + HandleText(memory) +
        (m_localBuffers.Owns(memory) ? "): a LocalAlloc buffer" : "): not a live heap buffer"));
    return call.Fail(ERROR_INVALID_PARAMETER);
}

// Only fixed memory is modelled (LPTR is what the program asks for): a
// movable block would need LocalLock, which the interface does not offer.
HLOCAL SimulatedMachine::LocalAlloc(UINT flags, SIZE_T bytes) {
    CallScope call = Begin("LocalAlloc", {HexArgument(flags), NumberArgument(bytes)});
    if (auto error = call.InjectedError()) return call.Fails(nullptr, *error);
    if ((flags & LMEM_MOVEABLE) != 0) return call.Fails(nullptr, ERROR_INVALID_PARAMETER);
    return call.Returns(m_localBuffers.Allocate(bytes, (flags & LMEM_ZEROINIT) != 0));
}

// LocalFree answers NULL on success and the pointer itself on failure.
HLOCAL SimulatedMachine::LocalFree(HLOCAL memory) {
    CallScope call = Begin("LocalFree", {HandleArgument(memory)});
    if (auto error = call.InjectedError()) return call.Fails(memory, *error);
    if (memory == nullptr || m_localBuffers.Free(memory)) return call.Returns(nullptr);
    NoteMisuse(
        "LocalFree(" + HandleText(memory) +
        (m_heapBuffers.Owns(memory) ? "): a HeapAlloc buffer" : "): not a live local buffer"));
    return call.Fails(memory, ERROR_INVALID_HANDLE);
}
