// Placeholder until the message structure is built.
#ifndef NUXA_KQMESSAGE_KQML_H_
#define NUXA_KQMESSAGE_KQML_H_
namespace nuxa {
class TKQstructure {
 public:
  virtual ~TKQstructure() = default;
};
}  // namespace nuxa
#endif  // NUXA_KQMESSAGE_KQML_H_
