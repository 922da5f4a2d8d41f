#pragma once
// The bitmap button: a button with a glyph, or a standard kind (OK, Abbrechen, ...) that brings
// its caption, glyph and modal result.
#include "toolkit/graphics.h"
#include "toolkit/stdctrls.h"

#include <memory>

enum TBitBtnKind {
    bkCustom,
    bkOK,
    bkCancel,
    bkHelp,
    bkYes,
    bkNo,
    bkClose,
    bkAbort,
    bkRetry,
    bkIgnore,
    bkAll
};
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

class TBitBtn : public TButton {
public:
    explicit TBitBtn(TComponent* owner);
    ~TBitBtn() override;

    // The glyph; with NumGlyphs above 1 it holds that many images side by side, of which the
    // first (normal state) is shown.
    TBitmap& Glyph() { return *glyph_; }
    void SetGlyph(const TBitmap& glyph);
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int n);
    TBitBtnKind Kind() const { return kind_; }
    void SetKind(TBitBtnKind kind);
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout layout);

private:
    void ShowGlyph();
    std::unique_ptr<TBitmap> glyph_;
    int numGlyphs_ = 1;
    TBitBtnKind kind_ = bkCustom;
    TButtonLayout layout_ = blGlyphLeft;
};
