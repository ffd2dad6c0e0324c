// Every entry in one list, with a box that narrows the list as one types.
#include "Tocpage.h"

namespace {

const char FilterCss[] = R"css(
.filter{margin:0 0 1rem}
.filter input{width:100%;font:inherit;padding:.6rem .9rem;border:1px solid var(--line);border-radius:.6rem;background:var(--card);color:var(--fg)}
.filter input:focus{outline:2px solid var(--accent);outline-offset:1px}
.filter p{margin:.35rem 0 0;color:var(--muted);font-size:.85rem}
)css";

// The box stays hidden without JavaScript; the full list is then simply shown.
const char FilterScript[] = R"js(
(function () {
  var box = document.getElementById('filter-box'), input = document.getElementById('filter');
  var status = document.getElementById('filter-status'), none = document.getElementById('no-match');
  var items = Array.prototype.slice.call(document.querySelectorAll('#entries > li'));
  var texts = items.map(function (li) { return li.textContent.normalize('NFKC').toLowerCase(); });
  box.hidden = false;
  input.addEventListener('input', function () {
    var words = input.value.normalize('NFKC').toLowerCase().split(/\s+/).filter(Boolean), shown = 0;
    items.forEach(function (li, i) {
      var hit = words.every(function (w) { return texts[i].indexOf(w) >= 0; });
      li.hidden = !hit;
      if (hit) shown++;
    });
    status.textContent = words.length ? shown + ' / ' + items.length + ' 件' : '';
    none.hidden = shown > 0;
  });
})();
)js";

TocPageParts Render(const TocData &data, const TocSettings &settings)
{
    TocPageParts parts;
    parts.summary = QStringLiteral("全 ") + CountText(data.entries.size());
    if (data.entries.isEmpty()) {
        parts.body = QStringLiteral("<p class=\"empty\">記事がありません。</p>\n");
        return parts;
    }
    parts.body = QStringLiteral(
                     "<div class=\"filter\" id=\"filter-box\" hidden>\n"
                     "<input type=\"search\" id=\"filter\" placeholder=\"キーワードで絞り込み\" "
                     "aria-label=\"記事を絞り込む\" autocomplete=\"off\">\n"
                     "<p id=\"filter-status\" aria-live=\"polite\"></p>\n</div>\n")
                 + EntryList(data.entries, settings, QStringLiteral("entries"))
                 + QStringLiteral("<p class=\"empty\" id=\"no-match\" hidden>該当する記事はありません。</p>\n");
    parts.css = QString::fromUtf8(FilterCss);
    parts.script = QString::fromUtf8(FilterScript);
    return parts;
}

} // namespace

int main(int argc, char **argv)
{
    return RunTemplate(argc, argv, QStringLiteral("記事一覧"), Render);
}
