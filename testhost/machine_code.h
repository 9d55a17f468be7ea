// A few x86-64 instructions as bytes, for the host's own machine code (the
// routine at the hook site, its original callee, the stubs of functions that
// answer a byte). Registers are numbered as the processor numbers them:
// rax 0, rcx 1, rdx 2, rbx 3, rsp 4, rbp 5, rsi 6, rdi 7, r8 to r15 8 to 15;
// xmm registers 0 to 15.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace TestHost::MachineCode {

class Code {
public:
    std::vector<unsigned char> bytes;

    void Emit(std::initializer_list<unsigned char> list) { bytes.insert(bytes.end(), list); }
    void Emit32(std::uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
    }
    void Emit64(std::uint64_t value) {
        for (int i = 0; i < 8; ++i) bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
    }

    void Push(int reg) {
        if (reg >= 8) bytes.push_back(0x41);
        bytes.push_back(static_cast<unsigned char>(0x50 + (reg & 7)));
    }
    void Pop(int reg) {
        if (reg >= 8) bytes.push_back(0x41);
        bytes.push_back(static_cast<unsigned char>(0x58 + (reg & 7)));
    }
    // mov reg, imm64
    void MoveImmediate(int reg, std::uint64_t value) {
        bytes.push_back(Rex(true, 0, reg));
        bytes.push_back(static_cast<unsigned char>(0xB8 + (reg & 7)));
        Emit64(value);
    }
    void SubtractFromRsp(std::uint32_t amount) {
        Emit({0x48, 0x81, 0xEC});
        Emit32(amount);
    }
    void AddToRsp(std::uint32_t amount) {
        Emit({0x48, 0x81, 0xC4});
        Emit32(amount);
    }
    // mov [base + disp], reg
    void Store(int base, std::int32_t disp, int reg) {
        bytes.push_back(Rex(true, reg, base));
        bytes.push_back(0x89);
        Address(reg, base, disp);
    }
    // mov reg, [base + disp]
    void Load(int reg, int base, std::int32_t disp) {
        bytes.push_back(Rex(true, reg, base));
        bytes.push_back(0x8B);
        Address(reg, base, disp);
    }
    // movdqu [base + disp], xmm
    void StoreVector(int base, std::int32_t disp, int xmm) { VectorMove(0x7F, xmm, base, disp); }
    // movdqu xmm, [base + disp]
    void LoadVector(int xmm, int base, std::int32_t disp) { VectorMove(0x6F, xmm, base, disp); }
    // call rel32 to an address `to`, this instruction starting at `from`
    static std::int32_t Displacement(std::uintptr_t from, std::uintptr_t to) {
        return static_cast<std::int32_t>(static_cast<std::int64_t>(to) - static_cast<std::int64_t>(from + 5));
    }

private:
    static unsigned char Rex(bool wide, int reg, int base) {
        return static_cast<unsigned char>(0x40 | (wide ? 8 : 0) | (reg >= 8 ? 4 : 0) | (base >= 8 ? 1 : 0));
    }
    // ModRM (and SIB for an rsp or r12 base) with a 32-bit displacement.
    void Address(int reg, int base, std::int32_t disp) {
        bytes.push_back(static_cast<unsigned char>(0x80 | ((reg & 7) << 3) | (base & 7)));
        if ((base & 7) == 4) bytes.push_back(0x24);
        Emit32(static_cast<std::uint32_t>(disp));
    }
    void VectorMove(unsigned char opcode, int xmm, int base, std::int32_t disp) {
        bytes.push_back(0xF3);
        if (xmm >= 8 || base >= 8) bytes.push_back(Rex(false, xmm, base));
        Emit({0x0F, opcode});
        Address(xmm, base, disp);
    }
};

}  // namespace TestHost::MachineCode
