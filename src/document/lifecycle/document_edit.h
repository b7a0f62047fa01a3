// The document as the target of character and block edits: its current page,
// its undo store, its page marks and timed backup, and the registered-character
// table the character replace dialog adds to.
#pragma once

#include "document/lifecycle/document.h"
#include "editing/edit_state.h"
#include "editing/registered_table.h"

namespace lexova {

class DocumentEditTarget final : public editing::EditTarget {
 public:
  DocumentEditTarget(DAdovoVodovoDez& doc, Host& host, RegisteredTable* table = nullptr)
      : doc_(doc), host_(host), table_(table) {}

  Host& host() override { return host_; }
  int pageCount() override { return doc_.pageCount(); }
  int currentPageIndex() override { return doc_.currentPage; }
  COcrPage* page(int index) override { return doc_.page(index); }
  void setCurrentPage(int index) override {
    if (index >= 0 && index < doc_.pageCount()) doc_.currentPage = index;
  }
  void recordUndo(int kind, const std::function<ViewPosition()>& where) override {
    doc_.record(kind, doc_.currentPage, where());
  }
  void pageEdited() override {
    doc_.markPageEdited(doc_.currentPage, true);
    doc_.backup(false);
  }
  void registerPair(std::u16string_view search, std::u16string_view replacement) override {
    if (table_) table_->AddRegisteredPair(search, replacement);
  }
  PageEntry& pageEntry() override { return doc_.pageEntries.at(static_cast<std::size_t>(doc_.currentPage)); }
  const settings::ReconstructionOptions& reconstructionOptions() override { return doc_.options().reconstruction; }
  const editing::EditSettings& editSettings() override { return settings; }
  std::uint64_t revision() override { return doc_.revision(); }
  // The view's settings (reject level, registration of replacements).
  editing::EditSettings settings;

 private:
  DAdovoVodovoDez& doc_;
  Host& host_;
  RegisteredTable* table_;
};

}  // namespace lexova
