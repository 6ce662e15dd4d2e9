#include "web/web_style.h"

const char* const kWebStylesheet = R"css(
html { font-size: 112.5%; -webkit-text-size-adjust: 100%; }
body { margin: 0; font-family: system-ui, -apple-system, "Segoe UI", Arial, sans-serif;
  font-size: 1rem; line-height: 1.5; color: #1a1a1a; background: #fff; }
a { color: #0b4f9c; text-decoration: underline; text-underline-offset: 0.15em; }
a:hover { color: #063366; }
:focus-visible { outline: 4px solid #e8a100; outline-offset: 2px; }
.skip { position: absolute; left: -9999px; }
.skip:focus { position: static; display: block; padding: 0.75rem 1rem; background: #ffdd57;
  color: #000; }
header.site, footer.site { background: #12325c; color: #fff; padding: 0.75rem 1rem; }
header.site a, footer.site a { color: #fff; }
.brand { margin: 0; font-size: 1.3rem; font-weight: 700; }
.brand a { text-decoration: none; }
nav ul { list-style: none; margin: 0.5rem 0 0; padding: 0; display: flex; flex-wrap: wrap;
  gap: 0.25rem 1.25rem; }
nav a { display: inline-block; padding: 0.5rem 0; min-height: 2.75rem; box-sizing: border-box; }
footer.site { margin-top: 2rem; font-size: 0.95rem; }
main { max-width: 44rem; margin: 0 auto; padding: 1rem; }
h1 { font-size: 1.75rem; line-height: 1.25; margin: 0.5rem 0 1rem; }
h2 { font-size: 1.4rem; line-height: 1.3; margin: 2rem 0 0.75rem; padding-top: 1rem;
  border-top: 3px solid #d6dde6; }
h3 { font-size: 1.15rem; margin: 1rem 0 0.5rem; }
p, li { max-width: 38rem; }
.field { margin: 1rem 0; }
label { display: block; font-weight: 700; margin-bottom: 0.25rem; }
.hint { margin: 0 0 0.4rem; color: #3d4752; }
input[type=text], input:not([type]), input[type=email], input[type=tel],
input[type=password] { display: block; width: 100%; max-width: 22rem; box-sizing: border-box;
  font: inherit; font-size: 1.1rem; padding: 0.6rem 0.75rem; min-height: 3rem;
  border: 2px solid #4a5561; border-radius: 6px; background: #fff; color: #111; }
.has-problem input { border-color: #b3261e; border-width: 3px; }
.problem { color: #b3261e; font-weight: 700; margin: 0 0 0.4rem; }
button { font: inherit; font-weight: 700; min-height: 3rem; min-width: 3rem;
  padding: 0.6rem 1.25rem; border-radius: 6px; border: 2px solid #0b4f9c; cursor: pointer; }
button.primary { background: #0b4f9c; color: #fff; }
button.primary:hover { background: #063366; }
button.secondary { background: #fff; color: #0b4f9c; }
button.danger { background: #fff; color: #b3261e; border-color: #b3261e; }
.check { display: flex; gap: 0.75rem; align-items: flex-start; margin: 1rem 0; }
.check input { width: 1.75rem; height: 1.75rem; margin: 0.1rem 0 0; flex: none; }
.check label { font-weight: 400; }
.notice { border-left: 8px solid; padding: 0.5rem 1rem; margin: 1rem 0; }
.notice p { margin: 0.25rem 0; }
.notice.done { border-color: #1e7b34; background: #eaf6ec; }
.notice.problem { border-color: #b3261e; background: #fbeaea; }
.notice.warning { border-color: #9a6700; background: #fff5d6; }
.card { border: 2px solid #d6dde6; border-radius: 8px; padding: 0.75rem 1rem; margin: 1rem 0; }
.card h3 { margin-top: 0.25rem; overflow-wrap: anywhere; }
dl.facts { margin: 0.5rem 0; }
dl.facts dt { font-weight: 700; }
dl.facts dd { margin: 0 0 0.5rem; }
ul.plain { list-style: none; padding: 0; }
ul.plain > li { margin: 0.5rem 0; overflow-wrap: anywhere; }
.counts { display: flex; flex-wrap: wrap; gap: 0.75rem; padding: 0; list-style: none; }
.counts li { border: 2px solid #d6dde6; border-radius: 8px; padding: 0.5rem 1rem; }
.plans { display: grid; gap: 1rem; }
@media (min-width: 40rem) { .plans { grid-template-columns: 1fr 1fr; } }
.plan { border: 3px solid #d6dde6; border-radius: 10px; padding: 1rem; }
.plan.family { border-color: #0b4f9c; }
.price { font-size: 1.5rem; font-weight: 700; margin: 0.25rem 0; }
.phone { font-size: 1.4rem; font-weight: 700; }
form.inline { display: inline; }
.actions { display: flex; flex-wrap: wrap; gap: 0.75rem; margin: 0.75rem 0; }
)css";
