#include "xml/XmlParser.h"

#include <cstring>
#include <string_view>

#include "core/LogBase.h"
#include "core/ProgressMonitor.h"
#include "xml/ElementTextBuilder.h"
#include "xml/TreeInfo.h"
#include "xml/TreeNode.h"
#include "xml/XmlEntities.h"

namespace {

constexpr ByteSet kTagNameStops(" \t\r\n/>");
constexpr ByteSet kAttributeNameStops(" \t\r\n=/>");
constexpr ByteSet kDeclarationNameStops(" \t\r\n=?>");
constexpr ByteSet kDoubleQuote("\"");
constexpr ByteSet kSingleQuote("'");
constexpr ByteSet kEitherQuote("\"'");
constexpr ByteSet kQuotedDeclarationValueStops("\"'\r\n");
constexpr ByteSet kBareDeclarationValueStops(" \t\"'\r\n");
constexpr char kCdataStart[] = "<![CDATA[";
constexpr uint32_t kCdataStartLength = 9;
constexpr char kCdataEnd[] = "]]>";
constexpr char kInstructionEnd[] = "?>";
constexpr uint32_t kInstructionTextCapacity = 2000;

// Copies bytes, leaving out every byte of `drop`; false when memory is exhausted.
bool CopyWithout(const char* bytes, uint32_t count, const char* drop, StringBuffer& out) {
    out.Clear();
    uint32_t runStart = 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (std::strchr(drop, bytes[i])) {
            if (!out.AppendN(bytes + runStart, i - runStart)) {
                return false;
            }
            runStart = i + 1;
        }
    }
    return out.AppendN(bytes + runStart, count - runStart);
}

// One run of the parser. It owns every node it makes until the root is handed out.
class TreeBuilder {
public:
    TreeBuilder(ParseEngine& engine, LogBase& log, ProgressMonitor* progress, bool trimWhitespace)
        : in_(engine),
          log_(log),
          progress_(progress),
          trim_(trimWhitespace),
          doctypeText_(StringBuffer::WithCapacity(kInstructionTextCapacity)),
          piText_(StringBuffer::WithCapacity(kInstructionTextCapacity)) {
        pendingStylesheets_.SetOwnsItems(true);
    }
    ~TreeBuilder() { delete pendingDeclaration_; }
    TreeBuilder(const TreeBuilder&) = delete;
    TreeBuilder& operator=(const TreeBuilder&) = delete;

    TreeNode* Run();

private:
    // Each phase returns false to leave the main loop.
    bool TextPhase();
    bool CdataSections();
    bool TopLevelPhase();
    bool Markup();
    bool Exclamation();
    void Instruction();
    void ClosingTag();
    bool StartTag();
    void ReadElementAttributes(TreeNode& element);
    TreeNode* ReadDeclaration();
    void ReadDeclarationAttributes(TreeNode& declaration);
    bool ReadAttributeName(const ByteSet& stops, const char* drop);
    bool ReadValue(uint32_t start);
    bool AddAttribute(TreeNode& node);
    // Appends the bytes [start, Position()) of the input; false (and out of memory) on exhaustion.
    bool Keep(StringBuffer& out, uint32_t start);
    void Close(TreeNode& element);
    void CompleteTopLevel(TreeNode& element);
    void FinishInput();
    bool OutOfMemory() {
        outOfMemory_ = true;
        return false;
    }

    ParseEngine& in_;
    LogBase& log_;
    ProgressMonitor* progress_;
    const bool trim_;

    TreeNode* current_ = nullptr;  // innermost open element
    TreeNode* root_ = nullptr;     // last completed top-level element
    TreeNode* pendingDeclaration_ = nullptr;
    ExtPtrArray pendingStylesheets_;
    StringBuffer doctypeText_;
    StringBuffer piText_;
    // How much of the two texts existed when the root was completed; the root's TreeInfo gets
    // those copies once the parse is over (an earlier root would only have been destroyed).
    uint32_t rootDoctypeLength_ = 0;
    uint32_t rootPiLength_ = 0;
    StringBuffer leadingSpace_;
    bool emptyElement_ = false;
    bool outOfMemory_ = false;
    ElementTextBuilder text_;
    StringBuffer name_;   // scratch for attribute names
    StringBuffer value_;  // scratch for attribute values
};

TreeNode* TreeBuilder::Run() {
    if (progress_ && in_.Length() >= 1) {
        progress_->Restart(in_.Length());
    }
    while (!in_.AtEnd()) {
        const bool go = current_ ? TextPhase() : TopLevelPhase();
        if (!go || !Markup()) {
            break;
        }
    }
    FinishInput();
    return root_;
}

// Text of the innermost open element up to the next markup, which the cursor is then just
// past the "<" of.
bool TreeBuilder::TextPhase() {
    const uint32_t spaceStart = in_.Position();
    in_.SkipWhitespace();
    if (!trim_) {
        leadingSpace_.Clear();
        if (!Keep(leadingSpace_, spaceStart)) {
            return false;
        }
    }
    if (in_.LookingAt(kCdataStart)) {
        return CdataSections();
    }
    const uint32_t start = in_.Position();
    if (in_.Current() != '<') {
        in_.ScanTo('<');
    }
    uint32_t end = in_.Position();
    if (in_.Current() == '<') {
        in_.Advance();
    }
    if (trim_) {
        while (end > start + 1 && IsXmlWhitespace(in_.Data()[end - 1])) {
            --end;
        }
    }
    if (end > start && !text_.AddText(*current_, trim_ ? nullptr : &leadingSpace_, in_.Data() + start, end - start)) {
        return OutOfMemory();
    }
    if (in_.LookingAt(kCdataStart + 1)) {
        in_.StepBack();
        return CdataSections();
    }
    return true;
}

// One CDATA section, or several in a row, appended as they stand.
bool TreeBuilder::CdataSections() {
    for (;;) {
        in_.Advance(kCdataStartLength);
        const uint32_t start = in_.Position();
        const std::string_view rest(in_.Data() + start, in_.Length() - start);
        const size_t end = rest.find(kCdataEnd);
        const uint32_t length = static_cast<uint32_t>(end == std::string_view::npos ? rest.size() : end);
        if (!text_.AddCdata(*current_, in_.Data() + start, length)) {
            return OutOfMemory();
        }
        current_->MarkCdata();
        in_.Advance(end == std::string_view::npos ? length : length + 3);
        if (in_.Current() != '<') {
            in_.ScanTo('<');  // text after a section, up to the next markup, is dropped
        }
        if (in_.Current() != '<') {
            return true;
        }
        if (!in_.LookingAt(kCdataStart)) {
            in_.Advance();
            return true;
        }
    }
}

bool TreeBuilder::TopLevelPhase() {
    in_.SkipWhitespace();
    if (in_.AtEnd()) {
        return false;
    }
    if (in_.Current() != '<') {
        in_.ScanTo('<');  // text outside elements (a byte-order mark too) is dropped
    }
    if (in_.Current() == '<') {
        in_.Advance();
    }
    return true;
}

// The cursor is on the byte after a "<".
bool TreeBuilder::Markup() {
    const char kind = in_.Current();
    in_.SkipWhitespace();
    if (in_.AtEnd()) {
        return false;
    }
    switch (kind) {
        case '!':
            return Exclamation();
        case '?':
            Instruction();
            return !outOfMemory_;
        case '/':
            ClosingTag();
            return true;
        default:
            return StartTag();
    }
}

bool TreeBuilder::Exclamation() {
    if (in_.LookingAt("!--")) {
        if (!in_.SkipPast("-->")) {
            log_.AddError("Unclosed comment");
            return false;
        }
        return true;
    }
    if (in_.LookingAtNoCase("!DOCTYPE")) {
        uint32_t start = 0;
        const bool balanced = in_.BalancedCapture('<', '>', start);
        if (!doctypeText_.AppendChar('<') || !Keep(doctypeText_, start) || !doctypeText_.AppendChar('\n')) {
            return OutOfMemory();
        }
        if (!balanced) {
            log_.AddError("Failed to parse DTD");
        }
        return true;
    }
    in_.ScanTo('>');
    if (in_.Current() == '>') {
        in_.Advance();
    }
    return true;
}

void TreeBuilder::Instruction() {
    in_.Advance();  // the "?"
    if (in_.LookingAtNoCase("xml ")) {
        TreeNode* declaration = ReadDeclaration();
        if (declaration) {
            delete pendingDeclaration_;
            pendingDeclaration_ = declaration;
        }
    } else if (in_.LookingAtNoCase("xml-stylesheet")) {
        TreeNode* stylesheet = ReadDeclaration();
        if (stylesheet && !pendingStylesheets_.Append(stylesheet)) {
            delete stylesheet;
            OutOfMemory();
        }
    } else {
        // Kept as written, from "<?" through "?>"; an unterminated one leaves nothing.
        uint32_t start = 0;
        if (in_.CaptureThroughNoCase(kInstructionEnd, start) &&
            (!piText_.Append("<?") || !Keep(piText_, start) || !piText_.AppendChar('\n'))) {
            OutOfMemory();
        }
    }
}

void TreeBuilder::ClosingTag() {
    if (progress_) {
        bool abort = false;
        progress_->SetDone(in_.Position(), abort);
    }
    if (in_.ScanToUnless('>', '<')) {
        in_.Advance();  // the ">" (at the end of the input the tag still counts)
    } else {
        log_.AddError("Error in closing tag");
        if (current_) {
            log_.AddData("error_tag", current_->TagText());
        }
    }
    if (current_) {
        Close(*current_);
    }
}

bool TreeBuilder::StartTag() {
    const uint32_t nameStart = in_.CaptureUntil(kTagNameStops);
    const uint32_t nameLength = in_.Position() - nameStart;
    if (in_.AtEnd()) {
        return false;
    }
    emptyElement_ = false;
    in_.SkipWhitespace();
    if (in_.Current() == '/') {
        in_.Advance();
        emptyElement_ = true;
    }
    // The name filter drops "<" along with every other byte that cannot be in a name.
    const char* name = in_.Data() + nameStart;
    TreeNode* element = current_ ? current_->AppendNewChild(name, nameLength) : TreeNode::CreateRoot(name, nameLength);
    if (!element) {
        return OutOfMemory();
    }
    current_ = element;
    in_.SkipWhitespace();
    ReadElementAttributes(*element);
    if (outOfMemory_) {
        return false;
    }
    if (in_.Current() == '>') {
        in_.Advance();
    }
    if (emptyElement_) {
        Close(*element);
    }
    return true;
}

bool TreeBuilder::Keep(StringBuffer& out, uint32_t start) {
    return out.AppendN(in_.Data() + start, in_.Position() - start) || OutOfMemory();
}

// The name up to one of `stops`, without the bytes of `drop`, into name_; then the whitespace
// after it is skipped and value_ is emptied for the value that may follow.
bool TreeBuilder::ReadAttributeName(const ByteSet& stops, const char* drop) {
    const uint32_t start = in_.CaptureUntil(stops);
    if (!CopyWithout(in_.Data() + start, in_.Position() - start, drop, name_)) {
        return OutOfMemory();
    }
    in_.SkipWhitespace();
    value_.Clear();
    return true;
}

// Adds name_ and value_ (a name the filter empties adds nothing).
bool TreeBuilder::AddAttribute(TreeNode& node) {
    return node.AddAttribute(name_.GetString(), name_.GetSize(), value_.GetString(), value_.GetSize()) ||
           OutOfMemory();
}

// The attribute value [start, Position()) with the predefined entities replaced.
bool TreeBuilder::ReadValue(uint32_t start) {
    if (!Keep(value_, start)) {
        return false;
    }
    if (std::memchr(value_.GetString(), '&', value_.GetSize())) {
        DecodePredefinedEntities(value_);
    }
    return true;
}

void TreeBuilder::ReadElementAttributes(TreeNode& element) {
    while (in_.Current() != '>' && !in_.AtEnd()) {
        if (!ReadAttributeName(kAttributeNameStops, "\"'<")) {
            return;
        }
        if (in_.Current() == '=') {
            in_.Advance();
            in_.SkipWhitespace();
            const ByteSet* end = &kEitherQuote;  // an unquoted value runs to the next quote
            if (in_.Current() == '"') {
                in_.Advance();
                end = &kDoubleQuote;
            } else if (in_.Current() == '\'') {
                in_.Advance();
                end = &kSingleQuote;
            }
            if (!ReadValue(in_.CaptureUntil(*end))) {
                return;
            }
            if (in_.Current() == '"' || in_.Current() == '\'') {
                in_.Advance();
            }
        }
        if (!AddAttribute(element)) {
            return;
        }
        in_.SkipWhitespace();
        if (in_.Current() == '/') {
            emptyElement_ = true;
            in_.Advance();
            in_.SkipWhitespace();
        }
    }
}

// "<?xml " or "<?xml-stylesheet": a detached node named after the target, with the
// pseudo-attributes as its attributes. The cursor is on the target.
TreeNode* TreeBuilder::ReadDeclaration() {
    const uint32_t targetStart = in_.CaptureUntil(kTagNameStops);
    const uint32_t targetLength = in_.Position() - targetStart;
    in_.SkipWhitespace();
    if (in_.Current() == '/') {
        in_.Advance();
    }
    TreeNode* node = TreeNode::CreateDetached(in_.Data() + targetStart, targetLength);
    if (!node) {
        OutOfMemory();
        return nullptr;
    }
    ReadDeclarationAttributes(*node);
    if (outOfMemory_) {
        delete node;
        return nullptr;
    }
    return node;
}

void TreeBuilder::ReadDeclarationAttributes(TreeNode& declaration) {
    in_.SkipWhitespace();
    while (in_.Current() != '>' && !in_.AtEnd()) {
        if (!ReadAttributeName(kDeclarationNameStops, "\"")) {
            return;
        }
        if (in_.Current() == '=') {
            in_.Advance();
            in_.SkipWhitespace();
            bool quoted = false;
            if (in_.Current() == '"') {
                in_.Advance();
                quoted = true;
            }
            if (in_.Current() == '\'') {
                in_.Advance();
                quoted = true;
            }
            // The value can hold no double quote: it is one of the stops either way.
            if (!ReadValue(in_.CaptureUntil(quoted ? kQuotedDeclarationValueStops : kBareDeclarationValueStops))) {
                return;
            }
            if (in_.Current() == '"') {
                in_.Advance();
            }
            if (in_.Current() == '\'') {
                in_.Advance();
            }
        }
        if (!AddAttribute(declaration)) {
            return;
        }
        in_.SkipWhitespace();
        if (in_.Current() == '?') {
            in_.Advance();
            in_.SkipWhitespace();
        }
    }
    if (in_.Current() == '>') {
        in_.Advance();
    }
}

void TreeBuilder::Close(TreeNode& element) {
    text_.Finish(element);
    TreeNode* parent = element.Parent();
    if (!parent) {
        CompleteTopLevel(element);
    }
    current_ = parent;
}

void TreeBuilder::CompleteTopLevel(TreeNode& element) {
    TreeInfo* info = element.Info();
    info->SetDeclaration(pendingDeclaration_);
    pendingDeclaration_ = nullptr;
    for (uint32_t i = 0; i < pendingStylesheets_.Count(); ++i) {
        if (!info->Stylesheets().Append(pendingStylesheets_.Item(i))) {
            delete pendingStylesheets_.Item(i);
            OutOfMemory();
        }
    }
    pendingStylesheets_.Clear();
    rootDoctypeLength_ = doctypeText_.GetSize();
    rootPiLength_ = piText_.GetSize();
    if (root_ && root_ != &element) {
        delete root_;
    }
    root_ = &element;
}

void TreeBuilder::FinishInput() {
    if (current_) {
        TreeNode* top = current_;
        for (;;) {
            text_.Finish(*top);
            if (!top->Parent()) {
                break;
            }
            top = top->Parent();
        }
        current_ = nullptr;
        if (root_ || outOfMemory_) {
            delete top;  // left open after the root: discarded
        } else {
            CompleteTopLevel(*top);  // cut off: everything open counts as closed
        }
    }
    if (root_ && !outOfMemory_) {
        TreeInfo* info = root_->Info();
        if (!info->SetDoctypeText(doctypeText_.GetString(), rootDoctypeLength_) ||
            !info->SetPiText(piText_.GetString(), rootPiLength_)) {
            OutOfMemory();
        }
    }
    if (progress_) {
        progress_->Finish();
    }
    if (outOfMemory_) {
        log_.AddError("Out of memory");
        delete root_;
        root_ = nullptr;
    }
}

}  // namespace

bool ParseXmlTree(ParseEngine& engine, LogBase* log, ProgressMonitor* progress, TreeNode** root, bool trimWhitespace) {
    if (!root) {
        return false;
    }
    LogNull nullLog;
    TreeBuilder builder(engine, log ? *log : nullLog, progress, trimWhitespace);
    *root = builder.Run();
    return true;
}

bool ParseXmlTree(const char* text, LogBase* log, ProgressMonitor* progress, TreeNode** root, bool trimWhitespace) {
    ParseEngine engine;
    if (!engine.LoadText(text)) {
        if (root) {
            *root = nullptr;
        }
        if (log) {
            log->AddError("Out of memory");
        }
        return root != nullptr;
    }
    return ParseXmlTree(engine, log, progress, root, trimWhitespace);
}
