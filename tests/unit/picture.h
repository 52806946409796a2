// A picture drawn by the test or the program, in pixels read straight from
// memory; what is not painted keeps an ink nothing drawn uses.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>

class Picture {
public:
    Picture(int width, int height) : m_width(width), m_height(height) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        m_bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &m_bits, nullptr, 0);
        m_previous = ::SelectObject(dc, m_bitmap);
        Fill({0, 0, width, height}, RGB(255, 0, 255));
    }
    ~Picture() {
        ::SelectObject(dc, m_previous);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(dc);
    }
    void Fill(RECT rect, COLORREF colour) const {
        ::SetDCBrushColor(dc, colour);
        ::FillRect(dc, &rect, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
    }
    // The first pixel that differs, as "x,y", or "" when none does.
    std::string FirstDifference(const Picture& other) const {
        ::GdiFlush();
        const auto* mine = static_cast<const DWORD*>(m_bits);
        const auto* theirs = static_cast<const DWORD*>(other.m_bits);
        const auto at = std::mismatch(mine, mine + m_width * m_height, theirs).first - mine;
        if (at == m_width * m_height) return "";
        return std::to_string(at % m_width) + "," + std::to_string(at / m_width);
    }

    HDC dc = ::CreateCompatibleDC(nullptr);

private:
    int m_width, m_height;
    void* m_bits = nullptr;
    HBITMAP m_bitmap;
    HGDIOBJ m_previous;
};
