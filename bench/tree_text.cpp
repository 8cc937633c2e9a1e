#include "bench/tree_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <stdexcept>

namespace brenvo1::bench {

namespace {

// None of these words holds the texts the generator plants, so a file holds
// a planted text exactly when the generator put it there.
constexpr std::array<std::string_view, 28> kIdentifiers = {
    "Cliente",  "Fattura",   "Importo", "Totale",  "Conto",     "Ordine",   "Articolo",
    "Magazzino", "Data",     "Codice",  "Prezzo",  "Sconto",    "Iva",      "Riga",
    "Indice",   "Contatore", "Elenco",  "Archivio", "Stampa",   "Record",   "Campo",
    "Tabella",  "Valore",    "Utente",  "Cartella", "Documento", "Scadenza", "Listino",
};

constexpr std::array<std::string_view, 8> kTypes = {
    "Integer", "Long", "String", "Double", "Boolean", "Variant", "Date", "Currency",
};

constexpr std::array<std::string_view, 48> kPlainWords = {
    "il",      "la",       "di",       "del",     "della",    "per",      "con",     "che",
    "non",     "se",       "quando",   "dopo",    "prima",    "valore",   "campo",   "record",
    "aggiorna", "calcola", "controlla", "legge",  "scrive",   "apre",     "chiude",  "file",
    "cartella", "utente",  "errore",   "riga",    "colonna",  "tabella",  "prezzo",  "cliente",
    "ordine",  "magazzino", "data",    "numero",  "codice",   "totale",   "fattura", "sconto",
    "elenco",  "archivio", "stampa",   "modulo",  "maschera", "pulsante", "vecchio", "nuovo",
};

// Accented and typographic words; "città" is deliberately absent.
constexpr std::array<std::string_view, 36> kAccentedWords = {
    "è",        "perché",   "più",     "già",      "così",      "però",     "qualità",
    "attività", "società",  "università", "verità", "libertà",  "velocità", "quantità",
    "possibilità", "età",   "là",      "può",      "giù",       "cioè",     "ventitré",
    "finché",   "né",       "È",       "Più",      "Perché",    "caffè",    "menù",
    "lunedì",   "venerdì",  "virtù",   "l’anno",   "“nota”",    "10 €",     "così…",
    "ÈRA",
};

template <std::size_t N>
std::string_view Pick(RandomStream& random, const std::array<std::string_view, N>& words) {
  return words[random.Below(N)];
}

std::string Number(RandomStream& random) { return std::to_string(random.Below(1000)); }

void AppendPlainPhrase(RandomStream& random, std::string& line) {
  const auto count = 3 + random.Below(8);
  for (std::uint64_t i = 0; i < count; ++i) {
    if (i > 0) line += ' ';
    line += Pick(random, kPlainWords);
  }
}

void AppendItalianPhrase(RandomStream& random, std::string& line) {
  const auto count = 4 + random.Below(9);
  for (std::uint64_t i = 0; i < count; ++i) {
    if (i > 0) line += ' ';
    if (random.Below(3) == 0) {
      line += Pick(random, kAccentedWords);
    } else {
      line += Pick(random, kPlainWords);
    }
  }
}

std::string CodeLine(RandomStream& random) {
  // Every draw is its own statement: the order in which the operands of one
  // expression are evaluated differs between compilers, and the tree must not.
  const std::string id(Pick(random, kIdentifiers));
  const auto kind = random.Below(9);
  const std::string other(Pick(random, kIdentifiers));
  const std::string type(Pick(random, kTypes));
  const std::string number = Number(random);
  switch (kind) {
    case 0: return "Private Sub " + id + "_Click()";
    case 1: return "    Dim " + id + number + " As " + type;
    case 2: return "    " + id + " = " + other + " + " + number;
    case 3: return "    If " + id + " > " + number + " Then";
    case 4: return "        Call Aggiorna" + id + "(" + number + ")";
    case 5: return "    End If";
    case 6: return "End Sub";
    case 7: return "    rs.Fields(\"" + id + "\").Value = " + number;
    default: {
      std::string line = "' ";
      AppendPlainPhrase(random, line);
      return line;
    }
  }
}

std::string ItalianLine(RandomStream& random) {
  std::string line;
  switch (random.Below(6)) {
    case 0: line = "' "; AppendItalianPhrase(random, line); break;
    case 1: line = "    MsgBox \""; AppendItalianPhrase(random, line); line += "\", vbOKOnly"; break;
    case 2: AppendItalianPhrase(random, line); line += '.'; break;
    default: line = CodeLine(random); break;
  }
  return line;
}

template <typename LineMaker>
std::string MakeLines(RandomStream& random, std::size_t size, LineMaker makeLine) {
  std::string text;
  text.reserve(size + 256);
  while (text.size() < size) {
    text += makeLine(random);
    text += "\r\n";
  }
  return text;
}

// Decodes one UTF-8 sequence at text[i]; advances i. The generator's own
// text is well formed, so malformed input is a programming error.
char32_t DecodeUtf8(std::string_view text, std::size_t& i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  if ((lead & 0xE0) == 0xC0 && i + 1 < text.size()) {
    const char32_t c = ((lead & 0x1Fu) << 6) | (byte(i + 1) & 0x3Fu);
    i += 2;
    return c;
  }
  if ((lead & 0xF0) == 0xE0 && i + 2 < text.size()) {
    const char32_t c = ((lead & 0x0Fu) << 12) | ((byte(i + 1) & 0x3Fu) << 6) | (byte(i + 2) & 0x3Fu);
    i += 3;
    return c;
  }
  throw std::logic_error("generator text holds a sequence it cannot convert");
}

}  // namespace

TextPool::TextPool(std::string bytes, std::string_view lineEnd) : bytes_(std::move(bytes)) {
  line_starts_.push_back(0);
  for (std::size_t at = bytes_.find(lineEnd); at != std::string::npos; at = bytes_.find(lineEnd, at + 1)) {
    // A UTF-16 line feed starts on an even offset; an odd match is the
    // second byte of some other unit followed by a line feed's first byte.
    if (lineEnd.size() == 2 && at % 2 != 0) continue;
    if (at + lineEnd.size() < bytes_.size()) line_starts_.push_back(at + lineEnd.size());
  }
}

void TextPool::AppendLines(RandomStream& random, std::size_t size, std::string& out) const {
  std::size_t line = random.Below(line_starts_.size());
  std::size_t added = 0;
  while (added < size) {
    const std::size_t from = line_starts_[line];
    // First line start at or past the byte where this slice would reach size.
    const auto stop = std::lower_bound(line_starts_.begin() + static_cast<std::ptrdiff_t>(line) + 1,
                                       line_starts_.end(), from + (size - added));
    const std::size_t to = stop == line_starts_.end() ? bytes_.size() : *stop;
    out.append(bytes_, from, to - from);
    added += to - from;
    line = stop == line_starts_.end() ? 0 : static_cast<std::size_t>(stop - line_starts_.begin());
  }
}

void TextPool::AppendBytes(RandomStream& random, std::size_t size, std::string& out) const {
  std::size_t from = random.Below(bytes_.size());
  while (size > 0) {
    const std::size_t take = std::min(size, bytes_.size() - from);
    out.append(bytes_, from, take);
    size -= take;
    from = 0;
  }
}

std::string MakeCodeText(RandomStream& random, std::size_t size) { return MakeLines(random, size, CodeLine); }

std::string MakeItalianText(RandomStream& random, std::size_t size) {
  return MakeLines(random, size, ItalianLine);
}

std::string MakeRandomBytes(RandomStream& random, std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; i += 8) {
    std::uint64_t word = random.Next();
    for (std::size_t k = i; k < std::min(size, i + 8); ++k, word >>= 8) bytes[k] = static_cast<char>(word & 0xFF);
  }
  return bytes;
}

std::string Utf8ToCp1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const char32_t c = DecodeUtf8(utf8, i);
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      out += static_cast<char>(c);
      continue;
    }
    switch (c) {
      case U'€': out += '\x80'; break;
      case U'…': out += '\x85'; break;
      case U'‘': out += '\x91'; break;
      case U'’': out += '\x92'; break;
      case U'“': out += '\x93'; break;
      case U'”': out += '\x94'; break;
      default: throw std::logic_error("generator text holds a character outside Windows-1252");
    }
  }
  return out;
}

std::string Utf8ToUtf16Le(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() * 2);
  for (std::size_t i = 0; i < utf8.size();) {
    const char32_t c = DecodeUtf8(utf8, i);
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>((c >> 8) & 0xFF);
  }
  return out;
}

}  // namespace brenvo1::bench
