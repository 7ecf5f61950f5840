// TSeSkinObject: a named drawing element of a skin and the root of a tree of them. A skin-aware
// control clones the object its SkinObject names, binds the copy to itself (SetControl), puts
// it into the control's state, gives it a rectangle (SetBoundsRect) and lets it Paint; the
// children lay themselves out inside their parent by Align.
//
// Children are the object's owned components, in component-list order. State values: 0 normal,
// 5 hot, 6 pressed, 7 focused, 8 disabled.
//
// Skin-object classes are found by name in a registry of their own (RegisterSkinObjectClass,
// FindSkinObjectClass), which the skin readers and CloneSkinObject use.
#pragma once
#include <cstdint>
#include <memory>

#include "SkinBitmap.h"
#include "classlib/classes/Component.h"
#include "classlib/classes/Properties.h"
#include "classlib/controls/Controls.h"

enum TSeAlign {
  saNone, saLeft, saMostLeft, saTop, saMostTop, saRight, saMostRight, saBottom, saMostBottom,
  saClient, saTopLeft, saTopRight, saBottomLeft, saBottomRight, saCenter, saText
};
enum TSeKind {
  skNone, skForm, skCaption, skTitle, skTop, skLeft, skRight, skBottom, skTopLeft, skTopRight,
  skBottomLeft, skBottomRight, skSysButton, skClient, skMenuBar, skMenuBarItem,
  skMenuBarItemText, skPopupMenu, skPopupMenuItem, skPopupMenuItemText, skItemText,
  skTranparent
};
// Scoped: the class library already has taLeft and taCenter of its own alignment.
enum class TSeTextAlign {
  taTopLeft, taTopCenter, taTopRight, taLeft, taCenter, taRight, taBottomLeft, taBottomCenter,
  taBottomRight
};
enum TSeTextEffect { teNone, teShadow };
enum TscTileStyle { tsTile, tsStretch, tsCenter };
// What a caption button does when released.
enum TSeAction {
  sbaNone, sbaClose, sbaHelp, sbaMinimize, sbaMaximize, sbaRestore, sbaRollUp, sbaRollDown,
  sbaTray, sbaSysMenu, sbaRollPanel, sbaCustom
};

extern const TEnumInfo SeAlignIdents;
extern const TEnumInfo SeKindIdents;
extern const TEnumInfo SeTextAlignIdents;
extern const TEnumInfo SeTextEffectIdents;
extern const TEnumInfo ScTileStyleIdents;
extern const TEnumInfo SeActionIdents;

// A skin object asks its control to repaint (lParam = the object).
constexpr UINT SE_INVALIDATEOBJECT = 2121;
// Asked of a control's window: the form-skinning component of its form (a TSeFormSkin*
// as the result; 0 when there is none).
constexpr UINT SE_GETFORMSKIN = 2122;

class TSeSkinObject;

// What caption buttons need of the component that skins their form.
class TSeFormSkin {
 public:
  enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp, biRollUp, biTray, biClose };
  virtual ~TSeFormSkin() = default;
  virtual bool HasBorderIcon(TBorderIcon icon) const = 0;
  virtual void Close() = 0;
  virtual void Help() = 0;
  virtual void Minimize() = 0;
  virtual void Maximize() = 0;
  virtual void Restore() = 0;
  virtual void RollUp() = 0;
  virtual void ToTray() = 0;
  virtual void ShowSystemMenu() = 0;
  virtual void CustomButtonClick(TSeSkinObject* button) = 0;
  // The user may size the form from its frame now (sizing allowed, the form in its normal
  // state); a status bar's size grip asks it.
  virtual bool AllowsSizing() const { return false; }
  // The window whose frame the component hit-tests and sizes.
  virtual HWND FrameWindow() const { return nullptr; }
};

// The form-skinning component of control's form (message 2122); nullptr when none.
TSeFormSkin* FormSkinOf(TWinControl* control);

class TSeSkinObject : public TComponent {
  CLASSLIB_CLASS(TSeSkinObject, TComponent)
  static const TPropertyTable* PublishedProperties();
  explicit TSeSkinObject(TComponent* owner);
  ~TSeSkinObject() override;

  // ---- Published ------------------------------------------------------------------------
  TSeAlign GetAlign() const { return FAlign; }
  void SetAlign(TSeAlign value) { FAlign = value; }
  TSeKind GetKind() const { return FKind; }
  void SetKind(TSeKind value) { FKind = value; }
  int GetLeft() const { return FLeft; }
  void SetLeft(int value);
  int GetTop() const { return FTop; }
  void SetTop(int value);
  int GetWidth() const { return FWidth; }
  void SetWidth(int value);
  int GetHeight() const { return FHeight; }
  void SetHeight(int value);
  TColor GetColor() const { return FColor; }
  void SetColor(TColor value) { FColor = value; }
  // The font the object draws with in its current state.
  virtual TFont* GetFont() const { return FFont.get(); }
  TFont* GetOwnFont() const { return FFont.get(); }
  void SetFont(TFont* value) { FFont->Assign(value); }
  bool GetMasked() const { return FMasked; }
  void SetMasked(bool value) { FMasked = value; }
  bool GetDrawIfOwner() const { return FDrawIfOwner; }
  void SetDrawIfOwner(bool value) { FDrawIfOwner = value; }
  int GetMarginLeft() const { return FMarginLeft; }
  void SetMarginLeft(int value) { FMarginLeft = value; }
  int GetMarginTop() const { return FMarginTop; }
  void SetMarginTop(int value) { FMarginTop = value; }
  int GetMarginRight() const { return FMarginRight; }
  void SetMarginRight(int value) { FMarginRight = value; }
  int GetMarginBottom() const { return FMarginBottom; }
  void SetMarginBottom(int value) { FMarginBottom = value; }
  TSeTextAlign GetTextAlign() const { return FTextAlign; }
  void SetTextAlign(TSeTextAlign value) { FTextAlign = value; }
  TSeTextEffect GetTextEffect() const { return FTextEffect; }
  void SetTextEffect(TSeTextEffect value) { FTextEffect = value; }
  int GetTextMarginLeft() const { return FTextMarginLeft; }
  void SetTextMarginLeft(int value) { FTextMarginLeft = value; }
  int GetTextMarginRight() const { return FTextMarginRight; }
  void SetTextMarginRight(int value) { FTextMarginRight = value; }
  int GetTextMarginTop() const { return FTextMarginTop; }
  void SetTextMarginTop(int value) { FTextMarginTop = value; }

  // ---- Run time --------------------------------------------------------------------------
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool value) { FVisible = value; }
  bool GetActive() const { return FActive; }
  uint8_t GetState() const { return FState; }
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool value) { FEnabled = value; }
  const String& GetText() const { return FText; }
  void SetText(const String& value) { FText = value; }
  // Drawn on the side opposite to Text (a menu item's shortcut).
  const String& GetText2() const { return FText2; }
  void SetText2(const String& value) { FText2 = value; }
  TWinControl* GetControl() const { return FControl; }
  TSeBitmapList* GetBitmaps() const { return FBitmaps; }
  TRect GetBoundsRect() const { return TRect(FLeft, FTop, FLeft + FWidth, FTop + FHeight); }
  int ChildCount() const { return GetComponentCount(); }
  TSeSkinObject* Child(int index) const;  // nullptr when out of range or not a skin object

  // ---- Operations ------------------------------------------------------------------------
  void Assign(TPersistent* source) override;
  // This object when its name matches (case-insensitively), else the first match among the
  // descendants, depth first; nullptr when none.
  TSeSkinObject* FindObject(const String& name);
  // Unless equal to the bounds: remembers the size, takes rect (negative sizes become 0) and
  // lays out the children.
  void SetBoundsRect(const TRect& rect);
  // Each sets the value on the object and on all its descendants.
  void SetControl(TWinControl* control);
  virtual void SetBitmaps(TSeBitmapList* list);
  void SetActive(bool value);
  virtual void SetState(uint8_t value);
  virtual void SetCharset(TFontCharset value);
  // Moves the hue of the object's colours and fonts, then of the children's.
  virtual void ShiftHue(int delta);
  // Rebinds the bitmap links to the bitmap list; the base has none.
  virtual void ResolveLinks();
  // Asks the control to repaint (message 2121) when visible and bound.
  void InvalidateObject();
  // Fill, text and children on the canvas.
  virtual void Paint(TCanvas* canvas);
  // The region the object covers, in the coordinates of its bounds; the caller owns it.
  virtual HRGN CreateRegion();
  // Mouse input passed on by the control; the base does nothing.
  virtual void MouseEnter() {}
  virtual void MouseLeave() {}
  virtual void MouseDown(TMouseButton) {}
  virtual void MouseMove(TShiftState) {}
  virtual void MouseUp(TMouseButton) {}
  virtual void DblClick(TMouseButton) {}
  // Colour c moved by delta in hue; clNone stays.
  static TColor ShiftColor(TColor c, int delta);

  // The children are stored in the binary property "Objects", not as owned components.
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void DefineProperties(TFiler& filer) override;

 protected:
  // Fill and text of the object itself.
  virtual void PaintSelf(TCanvas* canvas);
  // The bounds filled with color (unless clNone), then the text in font.
  void PaintFilled(TCanvas* canvas, TColor color, TFont* font);
  void PaintText(TCanvas* canvas, TFont* font);
  void PaintChildren(TCanvas* canvas);
  // The layout rule: PlaceChildren (edges, text widths, centre, client), then
  // MoveCornerChildren (corners by the last change of size).
  void LayoutChildren();
  void PlaceChildren();
  void MoveCornerChildren();
  // The object painted into a bitmap of its size cleared to the clear colour: the region of
  // the pixels left otherwise, at the object's position.
  HRGN CreatePaintedRegion();

 private:
  TSeAlign FAlign = saNone;
  TSeKind FKind = skNone;
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  TColor FColor = ColorFromInt(0xFFFFFF);
  std::unique_ptr<TFont> FFont;
  bool FMasked = true;
  bool FDrawIfOwner = false;
  int FMarginLeft = 0, FMarginTop = 0, FMarginRight = 0, FMarginBottom = 0;
  TSeTextAlign FTextAlign = TSeTextAlign::taLeft;
  TSeTextEffect FTextEffect = teNone;
  int FTextMarginLeft = 0, FTextMarginRight = 0, FTextMarginTop = 0;

  bool FVisible = true;
  bool FActive = false;
  uint8_t FState = 0;
  TWinControl* FControl = nullptr;     // not owned
  TSeBitmapList* FBitmaps = nullptr;   // the skin's; not owned
  int FPrevWidth = 0, FPrevHeight = 0; // the size before the last bounds change
  bool FLaidOut = false;               // children have been laid out at least once
  String FText, FText2;
  bool FEnabled = true;
  uint8_t FRightToLeft = 0;            // the control's BiDiMode
};

// A nine-slice picture: the link's rectangle drawn into the bounds, the corners (the margins'
// squares) one to one, the edges by BorderTileStyle and the centre by TileStyle; with all
// margins 0 the whole rectangle by TileStyle. Masked, MaskedBorder and MaskedAngles leave out
// the clear colour in the centre, the edges and the corners.
class TSeBitmapObject : public TSeSkinObject {
  CLASSLIB_CLASS(TSeBitmapObject, TSeSkinObject)
  static const TPropertyTable* PublishedProperties();
  explicit TSeBitmapObject(TComponent* owner);
  ~TSeBitmapObject() override;

  TSeBitmapLink* GetBitmap() const { return FBitmap.get(); }
  void SetBitmap(TSeBitmapLink* value) { FBitmap->Assign(value); }
  TscTileStyle GetTileStyle() const { return FTileStyle; }
  void SetTileStyle(TscTileStyle value) { FTileStyle = value; }
  TscTileStyle GetBorderTileStyle() const { return FBorderTileStyle; }
  void SetBorderTileStyle(TscTileStyle value) { FBorderTileStyle = value; }
  bool GetMaskedBorder() const { return FMaskedBorder; }
  void SetMaskedBorder(bool value) { FMaskedBorder = value; }
  bool GetMaskedAngles() const { return FMaskedAngles; }
  void SetMaskedAngles(bool value) { FMaskedAngles = value; }

  void Assign(TPersistent* source) override;
  void ResolveLinks() override;
  void Paint(TCanvas* canvas) override;
  // The painted pixels when Masked and not a client part; else the bounds.
  HRGN CreateRegion() override;

 protected:
  // Binds link to the bitmap of its name in the skin's list (nothing when there is none).
  void ResolveLink(TSeBitmapLink& link) const;
  // The picture of link drawn nine-slice into the bounds.
  void PaintPicture(TCanvas* canvas, const TSeBitmapLink& link);
  // The picture the object shows in its state; the base shows Bitmap.
  virtual const TSeBitmapLink& CurrentBitmap() const { return *FBitmap; }

 private:
  std::unique_ptr<TSeBitmapLink> FBitmap;
  TscTileStyle FTileStyle = tsTile;
  TscTileStyle FBorderTileStyle = tsTile;
  bool FMaskedBorder = true;
  bool FMaskedAngles = true;
};

// Text with a font per state: 5 FontHot, 6 FontPressed, 7 FontFocused, 8 FontDisabled, else
// Font.
class TSeTextObject : public TSeSkinObject {
  CLASSLIB_CLASS(TSeTextObject, TSeSkinObject)
  static const TPropertyTable* PublishedProperties();
  explicit TSeTextObject(TComponent* owner);
  ~TSeTextObject() override;

  TFont* GetFontHot() const { return FFonts[0].get(); }
  void SetFontHot(TFont* value) { FFonts[0]->Assign(value); }
  TFont* GetFontFocused() const { return FFonts[1].get(); }
  void SetFontFocused(TFont* value) { FFonts[1]->Assign(value); }
  TFont* GetFontPressed() const { return FFonts[2].get(); }
  void SetFontPressed(TFont* value) { FFonts[2]->Assign(value); }
  TFont* GetFontDisabled() const { return FFonts[3].get(); }
  void SetFontDisabled(TFont* value) { FFonts[3]->Assign(value); }

  TFont* GetFont() const override;
  void Assign(TPersistent* source) override;
  void SetCharset(TFontCharset value) override;
  void ShiftHue(int delta) override;

 private:
  std::unique_ptr<TFont> FFonts[4];  // hot, focused, pressed, disabled
};

// Draws source of bitmap into dest by style; transparent leaves out the clear colour.
void DrawByTileStyle(TCanvas* canvas, TSeBitmap& bitmap, const TRect& dest, const TRect& source,
                     TscTileStyle style, bool transparent);

// How a nine-slice picture is drawn: the margins' squares are the corners.
struct TSeNineSlice {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  TscTileStyle Centre = tsTile, Border = tsTile;
  bool Masked = true, MaskedBorder = true, MaskedAngles = true;
};
// The link's rectangle drawn into dest: the corners one to one, the edges by Border and the
// centre by Centre; with all margins 0 the whole rectangle by Centre. Nothing unless the link
// is valid.
void DrawNineSlice(TCanvas* canvas, const TSeBitmapLink& link, const TRect& dest,
                   const TSeNineSlice& slice);
// Binds link to the bitmap of its name in list (nothing when there is none or no list).
void ResolveBitmapLink(TSeBitmapList* list, TSeBitmapLink& link);
// The picture for a button state: 7 focused, 5 hot, 8 disabled, 6 pressed, each only when
// valid; else normal.
const TSeBitmapLink& BitmapForState(uint8_t state, const TSeBitmapLink& normal,
                                    const TSeBitmapLink& focused, const TSeBitmapLink& hot,
                                    const TSeBitmapLink& disabled, const TSeBitmapLink& pressed);

// A colour with a font (owned), as the kinds that change both by state keep them.
struct TSeColorFont {
  TSeColorFont();
  TColor Color = ColorFromInt(0xFFFFFF);
  std::unique_ptr<TFont> Font;
  void Assign(const TSeColorFont& other);
  void ShiftHue(int delta);
};

class TSeSkinReader;

// Object forms on skin streams: the class name, then the object as the component writer
// gives it, in the text form as one string, in the binary form as a byte count and the bytes.
void WriteSkinObjectText(TStream& stream, TSeSkinObject* object);
void WriteSkinObjectBinary(TStream& stream, TSeSkinObject* object);
// The object read, made with owner. The object's data is always read whole (and its length
// checked): for a class that is not registered it is dropped and the result is nullptr. An
// object whose data fails to load is freed and EReadError "Stream read error" raised (not the
// layout reader's message, which would quote the damaged bytes). Objects nest at most 32
// deep, each object made is booked with the reader first (TSeSkinReader::MaxObjects), and so
// is its data's length before the data is read (TSeSkinReader::MaxObjectData).
TSeSkinObject* ReadSkinObjectText(TSeSkinReader& reader, TComponent* owner);
TSeSkinObject* ReadSkinObjectBinary(TSeSkinReader& reader, TComponent* owner);

// The registry of skin-object classes. The engine's own kinds (this unit's and
// SkinBoxObjects') are in it from its first use, before any a program adds. Registering again
// does nothing.
void RegisterSkinObjectClass(const TClassInfo* info);
// Exact name match; nullptr when not registered.
const TClassInfo* FindSkinObjectClass(const String& name);
// A new instance of source's class with owner, assigned from source; nullptr when the class
// is not registered or source is nullptr.
TSeSkinObject* CloneSkinObject(TSeSkinObject* source, TComponent* owner);
