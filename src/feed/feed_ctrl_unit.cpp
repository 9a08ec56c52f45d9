// Keeps the library non-empty while its files arrive.
namespace tv::feed_detail {
int CtrlUnit() { return 0; }
}  // namespace tv::feed_detail
