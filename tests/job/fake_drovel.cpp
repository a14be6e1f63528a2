// The cloud chooser library as the scan job's tests need it: the login fails
// for the password "wrong"; the user picks "\Work\Invoices\" unless the start
// path is "cancel", which leaves the chooser (-5).
namespace {

bool equals(const char16_t* text, const char16_t* expected) {
  while (*text && *text == *expected) {
    ++text;
    ++expected;
  }
  return *text == *expected;
}

void copy(char16_t* target, int capacity, const char16_t* text) {
  int i = 0;
  for (; text[i] && i + 1 < capacity; ++i) target[i] = text[i];
  target[i] = u'\0';
}

}  // namespace

extern "C" int Nv_ClientLogin(const char16_t*, const char16_t*, int, const char16_t*, const char16_t* password) {
  return equals(password, u"wrong") ? -1 : 0;
}

extern "C" int Nv_Select(char16_t* path, int pathChars, char16_t* folderId, int folderIdChars) {
  if (equals(path, u"cancel")) return -5;
  copy(path, pathChars, u"\\Work\\Invoices\\");
  copy(folderId, folderIdChars, u"FolderID::0B7x");
  return 0;
}
