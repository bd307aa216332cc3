// Runs the inline script of a map page as a browser would, with the map API
// and the page's own scripts stubbed, and prints the variables it defines as
// JSON. A syntax error or a failing statement ends node with an error.
'use strict';
const fs = require('fs');
const vm = require('vm');

const code = fs.readFileSync(process.argv[2], 'utf8');
const page = {window: {}, mapMain() {}, GUnload() {}, initLayout() {}};
vm.createContext(page);
vm.runInContext(code, page, {filename: 'page-script.js'});
process.stdout.write(JSON.stringify({
  markers: page.gvoaMarkers,
  lines: page.gvoaLines,
  init: page.gvoInitOption,
  productPath: page.gvsProductPath === undefined ? null : page.gvsProductPath,
  chinaMap: page.gvbChinaMap === true,
  onload: typeof page.window.onload,
}));
