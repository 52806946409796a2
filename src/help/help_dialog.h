// HelpDialog: the user guide, the program's own HTML page in a resizable
// top-level window. Always made with new and created modeless: the object
// deletes itself once its window is gone.
#pragma once

#include "platform/framework/dhtml_dialog.h"

class HelpDialog : public CDHtmlDialog {
public:
    explicit HelpDialog(CWnd* parent = nullptr);

protected:
    BOOL OnInitDialog() override;
    PageEventMap GetPageEventMap() const override;
    void PostNcDestroy() override;
};
