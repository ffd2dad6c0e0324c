// The blog services whose pages the blog types tell apart, with the marks that only
// that service's pages carry (script and image hosts, class names, script variables).
// A blog type of one service reads nothing from a page that carries another's marks
// and none of its own, so that a wrong choice of blog type finds nothing rather than
// the wrong entries. A new service adds one line here.

ServiceMarks.wordpress = /\/wp-(?:content|includes|json)\/|content=["']WordPress|class=["'][^"']*\b(?:wp-block-post|type-post|status-publish)\b/;
ServiceMarks.blogger = /\.blogger\.com\/|\.blogspot\.com|id=["']Blog1["']|blog-pager-older-link/;
ServiceMarks.hatena = /blog\.st-hatena\.com|data-blog-name=|entry-title-link|hatenablog\.(?:com|jp)|hateblo\.jp|hatenadiary\.(?:com|jp)/;
ServiceMarks.livedoor = /\bld_blog_vars\b/;
ServiceMarks.fc2 = /\/blog-entry-\d+\.html|\.fc2\.com\//;
ServiceMarks.ameba = /ameblo\.jp|stat\.ameba\.jp|skin-entry|skinArticle|window\.INIT_DATA/;
ServiceMarks.seesaa = /seesaa\.(?:net|jp)/;
