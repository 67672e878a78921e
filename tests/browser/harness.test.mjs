// The harness itself: the invocation text, the network fence, a scriptlet
// run in a page.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { launchBrowser, openPage, renderInvocation, scriptletCases, startServer } from './support/harness.mjs';

test('invocation text', () => {
  assert.equal(renderInvocation({ code: 'function f(source,args){}', name: 'aopr.js', args: ['a', 'b"c'] }),
               '(function f(source,args){})({name:"aopr.js",engine:"quillon",version:"1.10.4",verbose:false},["a","b\\"c",]);\n');
  assert.equal(renderInvocation({ code: 'function f(){}', name: 'log', args: [] }),
               '(function f(){})({name:"log",engine:"quillon",version:"1.10.4",verbose:false},[]);\n');
  assert.equal(renderInvocation({ code: 'function f(){}', name: 'log', verbose: true, ruleText: 'x#%#//scriptlet(\'log\')' }),
               '(function f(){})({name:"log",engine:"quillon",version:"1.10.4",verbose:true,ruleText:"x#%#//scriptlet(\'log\')"},[]);\n');
});

let browser;
let server;
before(async () => {
  browser = await launchBrowser();
  server = await startServer(new Map([['/', { body: '<p>here</p>' }]]));
});
after(async () => {
  await browser?.close();
  await server?.close();
});

test('pages reach 127.0.0.1 and nothing else', async () => {
  const { page } = await openPage(browser);
  await page.goto(`${server.origin}/`);
  assert.equal(await page.textContent('p'), 'here');
  const outside = await page.evaluate(() => fetch('http://example.com/').then(() => 'reached', () => 'refused'));
  assert.equal(outside, 'refused');
  await page.close();
});

scriptletCases('a scriptlet in a page', [
  { scriptlet: 'no-topics', check: "(await document.browsingTopics()).length === 0" },
  { scriptlet: 'no-topics', name: 'ubo-no-topics', verbose: true, check: "(await document.browsingTopics()).length === 0",
    console: 'ubo-no-topics: browsingTopics() answered with no topics' },
]);
