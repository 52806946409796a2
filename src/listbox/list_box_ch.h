// CListBoxCH: the owner-drawn drive list. It owns the row records, keeps them
// in step with the list box's rows (newest first), draws them, and remembers
// the row the user last chose. Screen readers hear the list's name, each row
// whole, what a rebuild changed and the chosen row; under High Contrast the
// rows take the theme's colours.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "listbox/ext_item.h"
#include "listbox/row_colours.h"
#include "platform/com_ptr.h"
#include "platform/framework/list_box.h"

class ListNameServer;

class CListBoxCH : public CListBox {
public:
    static constexpr int kRowHeight = 40;
    static constexpr int kRowWidth = 100;
    static constexpr int kTextIndent = 40;

    CListBoxCH();
    ~CListBoxCH() override;

    // Adds a row in front of every row already shown: with n rows, row r
    // shows the (n - 1 - r)-th record added. False when the list box refused
    // the row; no record is then kept for it.
    bool AddItem(const char* text, HICON icon);
    void RemoveAllItems();
    // Leaves no row chosen and none selected.
    void ClearChoice();
    // Chooses and selects a row, as the user's click would.
    void SetChoice(int row);
    void RepaintChoice();
    // While one lives, the rows and the choice are being replaced: screen
    // readers hear nothing until it ends, and then only what changed.
    class Rebuilding {
    public:
        explicit Rebuilding(CListBoxCH& list);
        Rebuilding(const Rebuilding&) = delete;
        Rebuilding& operator=(const Rebuilding&) = delete;
        ~Rebuilding();

    private:
        CListBoxCH& m_list;
    };
    // The record behind a row, or null when the row has none.
    const CExtItem* RowRecord(int row) const;
    // Reads the colours again (High Contrast on or off, or another theme) and
    // repaints when they changed.
    void OnSystemColoursChanged();
    void OnDestroy();
    // Where the accessibility calls go: the real system unless a test says so
    // before the list takes its window over.
    void UseAccessibilityApi(AccessibilityApi& accessibility);

    void DrawItem(DRAWITEMSTRUCT* drawItem) override;
    void MeasureItem(MEASUREITEMSTRUCT* measureItem) override;
    int CompareItem(COMPAREITEMSTRUCT* compareItem) override;
    int VKeyToItem(UINT key, UINT caretIndex) override;
    void OnLButtonUp(UINT flags, POINT point);
    void OnSelChange();

    MessageMap GetMessageMap() const override;

    size_t RecordCount() const { return m_items.size(); }

    std::vector<std::unique_ptr<CExtItem>> m_items;
    RowColours m_colours;
    const BOOL m_drawSeparator;
    int m_chosenIndex = -1;

protected:
    void PreSubclassWindow() override;

private:
    void DrawNormalLook(HDC dc, const RECT& row, const CExtItem& item) const;
    void DrawSelectedLook(HDC dc, const RECT& row, const CExtItem& item) const;
    void DrawRowText(HDC dc, const RECT& row, const CExtItem& item) const;
    void InvalidateRow(int index) const;
    void ChooseRow(int index);
    void ServeNames();
    void StopServingNames();
    void AnnounceRebuild();
    void AnnounceChoice();

    // The row RepaintChoice last repainted; none before its first run.
    std::optional<int> m_lastRepaintedIndex;
    AccessibilityApi* m_accessibility;
    ComPtr<ListNameServer> m_nameServer;       // while oleacc may ask it for names
    std::vector<std::string> m_announcedRows;  // the row texts readers were last told of
    int m_announcedIndex = -1;                 // the chosen row readers were last told of
    int m_rebuilds = 0;                        // Rebuilding scopes alive
};
