// Renders the script templates the way the core does: the placeholder
// region runs from the first "$_" to the "_" that closes the last
// placeholder, and each pair replaces the first `$_name_` in that region with
// its value, quoted as a JSON string when it is a string.
import fs from 'node:fs';
import path from 'node:path';
import { REPO } from './harness.mjs';

export function templateText(file) {
  return fs.readFileSync(path.join(REPO, 'assets/templates', file), 'utf8');
}

// [start, end) of the placeholder region.
export function placeholderRegion(text) {
  const start = text.indexOf('$_');
  const last = text.lastIndexOf('$_');
  const close = last < 0 ? -1 : text.indexOf('_', last + 2);
  if (start < 0 || close < 0) return [Math.max(start, 0), text.length];
  return [start, close + 1];
}

// pairs: [name, value, isString] triples, or null for no substitution.
export function renderScript(text, pairs) {
  if (pairs === null) return text;
  const [start, end] = placeholderRegion(text);
  let region = text.slice(start, end);
  for (const [name, value, isString] of pairs) {
    const placeholder = `$_${name}_`;
    const at = region.indexOf(placeholder);
    if (at < 0) throw new RangeError('invalid string position');
    const literal = isString ? JSON.stringify(value) : value;
    region = region.slice(0, at) + literal + region.slice(at + placeholder.length);
  }
  return text.slice(0, start) + region + text.slice(end);
}

// The content script for one page, its pairs in the order the core sends
// them. Every value may be left out; CSS texts and the script are then null.
export function renderContentScript(values = {}) {
  const text = (v) => (v === undefined || v === null ? ['null', false] : [v, true]);
  const pairs = [
    ['commonCss', ...text(values.commonCss)],
    ['specificCss', ...text(values.specificCss)],
    ['extendedCss', ...text(values.extendedCss)],
    ['script', ...text(values.script)],
    ['filteringContext', JSON.stringify(values.filteringContext ??
      { isReferrerRuleJsInject: false, isReferrerRuleElemhide: false }), false],
    ['interceptionContext', JSON.stringify(values.interceptionContext ?? {}), false],
    ['nonce', values.nonce ?? '', true],
    ['safeBrowsingUrl', ...text(values.safeBrowsingUrl)],
  ];
  return renderScript(templateText('content_script.js'), pairs);
}

// The stealth script; options left out take their defaults (null or false).
export function renderStealthScript(values = {}) {
  const text = (v) => (v === undefined || v === null ? ['null', false] : [v, true]);
  const flag = (v) => [v ? 'true' : 'false', false];
  const pairs = [
    ['userAgent', ...text(values.userAgent)],
    ['blockWebRtc', ...flag(values.blockWebRtc)],
    ['blockPush', ...flag(values.blockPush)],
    ['blockLocation', ...flag(values.blockLocation)],
    ['blockFlash', ...flag(values.blockFlash)],
    ['blockJava', ...flag(values.blockJava)],
    ['doNotTrack', ...flag(values.doNotTrack)],
    ['referrer', ...text(values.referrer)],
    ['nonce', values.nonce ?? '', true],
    ['cookieTtl', values.cookieTtl === undefined || values.cookieTtl === null ? 'null' : String(values.cookieTtl), false],
  ];
  return renderScript(templateText('stealth_script.js'), pairs);
}
